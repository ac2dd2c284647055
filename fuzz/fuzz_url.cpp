// Holds url_encode and url_decode against plain walks written straight from their rules:
// any difference aborts.
//
// Input layout: one option byte (bit 0 keep_unreserved, bit 1 via_utf8, bit 2 from_utf8,
// bit 3 map the text onto a small alphabet of escape material), then the text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/charset.h"
#include "text/text.h"

namespace {

constexpr std::string_view alphabet = "%%%0123456789aAbBcCdDeEfFgG;+ -._~/\x80\xD6\xD0";

// The escape of one byte: "%" and the byte's value in upper-case hexadecimal, a single digit
// with "0" in front.
std::string escape(unsigned char byte) {
    std::string digits = text::to_hex_text(byte);
    if (digits.size() == 1) digits = "0" + digits;
    return "%" + digits;
}

std::string plain_encode(std::string_view text, bool keep_unreserved, bool via_utf8) {
    const std::string source = via_utf8 ? text::gbk_to_utf8(text) : std::string(text);
    std::string out;
    for (const char c : source) {
        const auto b = static_cast<unsigned char>(c);
        const bool kept = b == 0x2D || b == 0x2E || (b >= 0x30 && b <= 0x39) || (b >= 0x41 && b <= 0x5A) ||
                          (b >= 0x61 && b <= 0x7A);
        if (keep_unreserved && kept) {
            out += c;
        } else {
            out += escape(b);
        }
    }
    return out;
}

// A digit's value: upper-cased (ASCII letters only) and looked up in the digit table; a
// position beyond the end counts 0, any other byte -2.
int digit_value(std::string_view text, std::size_t position_1_based) {
    if (position_1_based > text.size()) return 0;
    char c = text[position_1_based - 1];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const std::size_t at = std::string_view("0123456789ABCDEF").find(c);
    return at == std::string_view::npos ? -2 : static_cast<int>(at);
}

std::string plain_decode(std::string_view text, bool from_utf8) {
    const std::size_t n = text.size();
    std::string out;
    std::size_t i = 1;
    while (i <= n) {
        if (text[i - 1] != '%') {
            out += text[i - 1];
            i += 1;
            continue;
        }
        const int h = digit_value(text, i + 1);
        const int l = digit_value(text, i + 2);
        const int decoded = ((16 * h + l) % 256 + 256) % 256;
        if (decoded != 0) out += static_cast<char>(decoded);
        i += 3;
    }
    return from_utf8 ? text::utf8_to_gbk(out) : out;
}

void same(const std::string& fast, const std::string& plain, const char* what) {
    if (fast != plain) {
        std::fprintf(stderr, "fuzz_url: %s differs from the plain walk\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t options = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (options & 8) {
        for (char& c : text) c = alphabet[static_cast<unsigned char>(c) % alphabet.size()];
    }
    // A view over the fuzzer's own exact-size buffer when unmapped, so a read past the end shows.
    const std::string_view input = (options & 8)
                                       ? std::string_view(text)
                                       : std::string_view(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool keep_unreserved = options & 1;
    const bool via_utf8 = options & 2;
    const bool from_utf8 = options & 4;

    same(text::url_encode(input, keep_unreserved, via_utf8), plain_encode(input, keep_unreserved, via_utf8),
         "url_encode");
    same(text::url_decode(input, from_utf8), plain_decode(input, from_utf8), "url_decode");
    // Encoding then decoding gives the bytes back, less the zero bytes, which decode to nothing.
    if (!via_utf8) {
        std::string no_zeros;
        for (const char c : input)
            if (c != 0) no_zeros += c;
        same(text::url_decode(text::url_encode(input, keep_unreserved)), no_zeros, "decode of encode");
    }
    return 0;
}
