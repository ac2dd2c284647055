#pragma once
// Code-page conversion over glibc iconv. Code pages are named by their numbers:
// 936 is GBK (iconv's CP936, which maps the single byte 0x80 to the euro sign),
// 65001 is UTF-8, 1200 is UTF-16 little-endian. Conversions never fail: a character the
// target lacks becomes "?", and so does each byte of malformed input that cannot start a
// character (one "?" per bad byte, after which decoding resynchronises on the next byte; in
// UTF-16 input a bad unit is two bytes and gives one "?"). An unknown code page gives an
// empty result. Safe to call from many threads at once.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr int cp_gbk = 936;
inline constexpr int cp_utf8 = 65001;
inline constexpr int cp_utf16le = 1200;

std::string convert_code_page(std::string_view input, int from_code_page, int to_code_page);
// The same, for results that are bytes rather than text (page bodies).
std::vector<unsigned char> convert_code_page_bytes(std::string_view input, int from_code_page,
                                                   int to_code_page);

}  // namespace platform
