#include "text/charset.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/codepage.h"

namespace text {
namespace {

// A NUL ends a text handed to the two-step conversions, as it ends the UTF-16 form between them.
std::string_view up_to_nul(std::string_view text) {
    const void* nul = std::memchr(text.data(), 0, text.size());
    return nul ? text.substr(0, static_cast<const char*>(nul) - text.data()) : text;
}

// Base character + combining mark -> the precomposed character, for exactly the precomposed
// characters code page 936 holds: the pinyin vowels, ê, ń, ň, the Cyrillic Ё Й й ё, the
// negated relations ≠ ≮ ≯ and the voiced kana. Anything else stays a base character followed
// by a mark, and the mark, which GBK lacks, becomes "?". Sorted by base, then mark.
struct Composition {
    std::uint16_t base, mark, composed;
};
constexpr Composition compositions[] = {
    {0x003C, 0x0338, 0x226E}, {0x003D, 0x0338, 0x2260}, {0x003E, 0x0338, 0x226F}, {0x0061, 0x0300, 0x00E0},
    {0x0061, 0x0301, 0x00E1}, {0x0061, 0x0304, 0x0101}, {0x0061, 0x030C, 0x01CE}, {0x0065, 0x0300, 0x00E8},
    {0x0065, 0x0301, 0x00E9}, {0x0065, 0x0302, 0x00EA}, {0x0065, 0x0304, 0x0113}, {0x0065, 0x030C, 0x011B},
    {0x0069, 0x0300, 0x00EC}, {0x0069, 0x0301, 0x00ED}, {0x0069, 0x0304, 0x012B}, {0x0069, 0x030C, 0x01D0},
    {0x006E, 0x0301, 0x0144}, {0x006E, 0x030C, 0x0148}, {0x006F, 0x0300, 0x00F2}, {0x006F, 0x0301, 0x00F3},
    {0x006F, 0x0304, 0x014D}, {0x006F, 0x030C, 0x01D2}, {0x0075, 0x0300, 0x00F9}, {0x0075, 0x0301, 0x00FA},
    {0x0075, 0x0304, 0x016B}, {0x0075, 0x0308, 0x00FC}, {0x0075, 0x030C, 0x01D4}, {0x00FC, 0x0300, 0x01DC},
    {0x00FC, 0x0301, 0x01D8}, {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x030C, 0x01DA}, {0x0415, 0x0308, 0x0401},
    {0x0418, 0x0306, 0x0419}, {0x0435, 0x0308, 0x0451}, {0x0438, 0x0306, 0x0439}, {0x304B, 0x3099, 0x304C},
    {0x304D, 0x3099, 0x304E}, {0x304F, 0x3099, 0x3050}, {0x3051, 0x3099, 0x3052}, {0x3053, 0x3099, 0x3054},
    {0x3055, 0x3099, 0x3056}, {0x3057, 0x3099, 0x3058}, {0x3059, 0x3099, 0x305A}, {0x305B, 0x3099, 0x305C},
    {0x305D, 0x3099, 0x305E}, {0x305F, 0x3099, 0x3060}, {0x3061, 0x3099, 0x3062}, {0x3064, 0x3099, 0x3065},
    {0x3066, 0x3099, 0x3067}, {0x3068, 0x3099, 0x3069}, {0x306F, 0x3099, 0x3070}, {0x306F, 0x309A, 0x3071},
    {0x3072, 0x3099, 0x3073}, {0x3072, 0x309A, 0x3074}, {0x3075, 0x3099, 0x3076}, {0x3075, 0x309A, 0x3077},
    {0x3078, 0x3099, 0x3079}, {0x3078, 0x309A, 0x307A}, {0x307B, 0x3099, 0x307C}, {0x307B, 0x309A, 0x307D},
    {0x309D, 0x3099, 0x309E}, {0x30A6, 0x3099, 0x30F4}, {0x30AB, 0x3099, 0x30AC}, {0x30AD, 0x3099, 0x30AE},
    {0x30AF, 0x3099, 0x30B0}, {0x30B1, 0x3099, 0x30B2}, {0x30B3, 0x3099, 0x30B4}, {0x30B5, 0x3099, 0x30B6},
    {0x30B7, 0x3099, 0x30B8}, {0x30B9, 0x3099, 0x30BA}, {0x30BB, 0x3099, 0x30BC}, {0x30BD, 0x3099, 0x30BE},
    {0x30BF, 0x3099, 0x30C0}, {0x30C1, 0x3099, 0x30C2}, {0x30C4, 0x3099, 0x30C5}, {0x30C6, 0x3099, 0x30C7},
    {0x30C8, 0x3099, 0x30C9}, {0x30CF, 0x3099, 0x30D0}, {0x30CF, 0x309A, 0x30D1}, {0x30D2, 0x3099, 0x30D3},
    {0x30D2, 0x309A, 0x30D4}, {0x30D5, 0x3099, 0x30D6}, {0x30D5, 0x309A, 0x30D7}, {0x30D8, 0x3099, 0x30D9},
    {0x30D8, 0x309A, 0x30DA}, {0x30DB, 0x3099, 0x30DC}, {0x30DB, 0x309A, 0x30DD}, {0x30FD, 0x3099, 0x30FE},
};

// Every mark above is U+0300..U+033F (UTF-8 lead byte 0xCC) or U+3099/U+309A. A body without
// them, which is nearly every page, is converted in one step.
bool may_hold_combining_mark(const Bytes& utf8) {
    const char* data = reinterpret_cast<const char*>(utf8.data());
    const std::string_view bytes(data, utf8.size());
    return std::memchr(data, 0xCC, utf8.size()) != nullptr ||
           bytes.find("\xE3\x82\x99") != std::string_view::npos ||
           bytes.find("\xE3\x82\x9A") != std::string_view::npos;
}

std::uint16_t unit_at(const std::string& utf16, std::size_t i) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(utf16[i]) |
                                      static_cast<unsigned char>(utf16[i + 1]) << 8);
}

// Composes in the UTF-16 form, in place; a composed character may take a further mark (ü + ́ -> ǘ).
void compose(std::string& utf16) {
    std::size_t kept = 0;  // bytes of composed output, a prefix of utf16
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        const std::uint16_t unit = unit_at(utf16, i);
        if (kept >= 2) {
            const std::uint16_t base = unit_at(utf16, kept - 2);
            const auto* hit =
                std::lower_bound(std::begin(compositions), std::end(compositions), Composition{base, unit, 0},
                                 [](const Composition& a, const Composition& b) {
                                     return a.base != b.base ? a.base < b.base : a.mark < b.mark;
                                 });
            if (hit != std::end(compositions) && hit->base == base && hit->mark == unit) {
                utf16[kept - 2] = static_cast<char>(hit->composed & 0xFF);
                utf16[kept - 1] = static_cast<char>(hit->composed >> 8);
                continue;
            }
        }
        utf16[kept] = utf16[i];
        utf16[kept + 1] = utf16[i + 1];
        kept += 2;
    }
    utf16.resize(kept);
}

// Value of a hexadecimal digit of either case, -2 for any other byte.
constexpr std::array<signed char, 256> make_digit_values() {
    std::array<signed char, 256> values{};
    for (auto& v : values) v = -2;
    for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<signed char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) values[c] = values[c + 32] = static_cast<signed char>(c - 'A' + 10);
    return values;
}
constexpr std::array<signed char, 256> digit_values = make_digit_values();

constexpr std::array<bool, 256> make_unreserved() {
    std::array<bool, 256> keep{};
    keep['-'] = keep['.'] = true;
    for (int c = '0'; c <= '9'; ++c) keep[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c) keep[c] = keep[c + 32] = true;
    return keep;
}
constexpr std::array<bool, 256> unreserved = make_unreserved();

}  // namespace

Bytes to_utf16(std::string_view text, int code_page) {
    if (text.empty()) return {};
    Bytes units = platform::convert_code_page_bytes(text, code_page, platform::cp_utf16le);
    units.push_back(0);
    units.push_back(0);
    return units;
}

Text from_utf16(const Bytes& units, int code_page) {
    std::size_t n = units.size() / 2;  // a dangling odd byte is no unit
    for (std::size_t i = 0; i < n; ++i) {
        if (units[2 * i] == 0 && units[2 * i + 1] == 0) {
            n = i;
            break;
        }
    }
    const std::string_view whole(reinterpret_cast<const char*>(units.data()), 2 * n);
    return platform::convert_code_page(whole, platform::cp_utf16le, code_page);
}

Text gbk_to_utf8(std::string_view gbk) {
    return platform::convert_code_page(up_to_nul(gbk), platform::cp_gbk, platform::cp_utf8);
}

Text utf8_to_gbk(std::string_view utf8) {
    return platform::convert_code_page(up_to_nul(utf8), platform::cp_utf8, platform::cp_gbk);
}

Bytes utf8_bytes_to_gbk(const Bytes& utf8) {
    const std::string_view body(reinterpret_cast<const char*>(utf8.data()), utf8.size());
    if (!may_hold_combining_mark(utf8))
        return platform::convert_code_page_bytes(body, platform::cp_utf8, platform::cp_gbk);
    std::string utf16 = platform::convert_code_page(body, platform::cp_utf8, platform::cp_utf16le);
    compose(utf16);
    return platform::convert_code_page_bytes(utf16, platform::cp_utf16le, platform::cp_gbk);
}

Text url_encode(std::string_view text, bool keep_unreserved, bool via_utf8) {
    static constexpr char hex[] = "0123456789ABCDEF";
    Text utf8;
    if (via_utf8) {
        utf8 = gbk_to_utf8(text);
        text = utf8;
    }
    Text out(3 * text.size(), '\0');
    char* w = out.data();
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (keep_unreserved && unreserved[b]) {
            *w++ = c;
        } else {
            *w++ = '%';
            *w++ = hex[b >> 4];
            *w++ = hex[b & 0xF];
        }
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
    return out;
}

Text url_decode(std::string_view text, bool from_utf8) {
    const std::size_t n = text.size();
    const char* in = text.data();
    Text out(n, '\0');  // decoding never lengthens
    char* w = out.data();
    std::size_t i = 0;
    while (i < n) {
        const void* found = std::memchr(in + i, '%', n - i);
        const std::size_t percent =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - in) : n;
        std::memcpy(w, in + i, percent - i);
        w += percent - i;
        if (percent == n) break;
        const int high = percent + 1 < n ? digit_values[static_cast<unsigned char>(in[percent + 1])] : 0;
        const int low = percent + 2 < n ? digit_values[static_cast<unsigned char>(in[percent + 2])] : 0;
        const auto decoded = static_cast<unsigned char>(16 * high + low);  // modulo 256
        if (decoded != 0) *w++ = static_cast<char>(decoded);
        i = percent + 3;
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
    return from_utf8 ? utf8_to_gbk(out) : out;
}

}  // namespace text
