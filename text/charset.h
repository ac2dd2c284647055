#pragma once
// Character sets and URL coding. Everything inside the program is GBK (code page 936);
// UTF-8 (65001) arrives from web pages and leaves in keywords.

#include "text/text.h"

namespace text {

inline constexpr int code_page_gbk = 936;
inline constexpr int code_page_utf8 = 65001;

// UTF-16 units (two bytes each, low byte first) of the whole text, one NUL unit at the end;
// an empty text gives no units at all.
Bytes to_utf16(std::string_view text, int code_page);
// UTF-16 units read up to the first NUL unit, into the target code page. A dangling odd byte
// is no unit and is ignored.
Text from_utf16(const Bytes& units, int code_page);

Text gbk_to_utf8(std::string_view gbk);
Text utf8_to_gbk(std::string_view utf8);
// A body of exactly its length (zero bytes inside are converted too). A base letter followed by
// a combining mark becomes the precomposed character where GBK has one (the pinyin vowels, ê,
// ń, ň, Ё, й, ≠, voiced kana); other marks, which GBK lacks, become "?".
Bytes utf8_bytes_to_gbk(const Bytes& utf8);

// Percent-encodes every byte except, with `keep_unreserved`, '-', '.', digits and ASCII
// letters. With `via_utf8` the text's UTF-8 form is encoded instead of its GBK bytes.
Text url_encode(std::string_view text, bool keep_unreserved = false, bool via_utf8 = false);
// Percent-decodes; '+' stays '+'. With `from_utf8` the result is taken as UTF-8 and turned into GBK.
Text url_decode(std::string_view text, bool from_utf8 = false);

}  // namespace text
