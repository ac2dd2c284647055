#pragma once
// The program's text values and the primitive operations every other folder cuts pages,
// headers and configuration with. Positions are 1-based byte positions; scans step over
// two-byte GBK characters (a byte 0x80..0xFF and the byte after it); cuts count bytes.
// Every operation is forgiving: out-of-range positions give an empty text or -1.
//
// Choices of ours where the rules leave room:
//  - list_item() outside 1..count gives the empty text.
//  - A lone lead byte (0x80..0xFF) as the last byte of a text is a one-byte character:
//    no scan ever reads past the end.
//  - to_int() saturates at INT32_MIN / INT32_MAX for digit strings beyond 32 bits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// GBK bytes without a zero byte inside. An absent text is the empty text.
using Text = std::string;
// A length-counted buffer that may hold zero bytes (bodies, file contents, cipher text).
using Bytes = std::vector<unsigned char>;
// An ordered list of texts, positions 1..count (see list_item).
using TextList = std::vector<Text>;

int list_count(const TextList& list);
// The item at a 1-based position; the empty text outside 1..count.
Text list_item(const TextList& list, int position);

int text_length(std::string_view text);
Text text_left(std::string_view text, int n);
Text text_right(std::string_view text, int n);
Text text_mid(std::string_view text, int start, int n);

// Position of the first match at or after `start` (below 2 means from byte 1), or -1.
int find_text(std::string_view text, std::string_view sought, int start = 0, bool ignore_case = false);
// Position of the last match reached by stepping from byte 1, or -1.
int find_text_reverse(std::string_view text, std::string_view sought, bool ignore_case = false);

Text to_lower(std::string_view text);
// A space is 0x20 or the GBK full-width space A1 A1; tabs and line breaks are not.
Text trim_both_ends(std::string_view text);
Text remove_all_spaces(std::string_view text);

// Replaces occurrences of `old_text`. `start` below 1 counts as 1; no `count` means no limit,
// a count of 0 changes nothing. Note the flag's sense: true compares exact bytes.
Text replace_subtext(std::string_view text, std::string_view old_text, std::string_view new_text = {},
                     int start = 1, std::optional<int> count = std::nullopt, bool case_sensitive = false);

// Pieces between delimiters; an empty piece between two delimiters is kept, a trailing
// delimiter adds none. A given `max_count` below 0 counts as 0.
TextList split_text(std::string_view text, std::string_view delimiter = ",",
                    std::optional<int> max_count = std::nullopt);

int to_int(std::string_view text);

Text to_text(int value);
Text to_text(std::int64_t value);
Text to_text(double value);        // as "%.13g" writes it
Text to_text(const Bytes& bytes);  // the bytes before the first zero byte
Text to_text(std::string_view text);
inline Text to_text(const char* text) { return to_text(std::string_view(text)); }
inline Text to_text(const Text& text) { return text; }

Text to_hex_text(int value);  // upper-case, no leading zeros; negative values as their 32 bits
Text char_from_code(int code);

Bytes to_bytes(std::string_view text);
int bytes_length(const Bytes& bytes);
Bytes bytes_left(const Bytes& bytes, int n);
int find_bytes(const Bytes& bytes, const Bytes& sought);
Text blank_text(int n);
Bytes blank_bytes(int n);

double round_decimal(double x, int decimals = 0);

}  // namespace text
