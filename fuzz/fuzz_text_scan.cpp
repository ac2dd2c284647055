// Holds the fast scans of text/ against the plain character-stepping walks of
// reference_text.h: any difference in a result aborts.
//
// Input layout: 8 option bytes, then the first marker, the second marker and the text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/reference_text.h"
#include "text/extract.h"
#include "text/text.h"

namespace {

// Bytes that make matches, case folding, full-width spaces and misaligned two-byte
// characters likely: input bytes are mapped onto them when option bit 6 is set.
constexpr std::string_view alphabet = "aAbB |<>\xA1\xB0\xD2\xFD#\r\n";

std::string take(const std::uint8_t*& data, std::size_t& size, std::size_t n, bool small_alphabet) {
    n = n < size ? n : size;
    std::string out(reinterpret_cast<const char*>(data), n);
    if (small_alphabet) {
        for (char& c : out) c = alphabet[static_cast<unsigned char>(c) % alphabet.size()];
    }
    data += n;
    size -= n;
    return out;
}

template <typename T>
void same(const T& fast, const T& plain, const char* what) {
    if (fast != plain) {
        std::fprintf(stderr, "fuzz_text_scan: %s differs from the plain walk\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    const std::uint8_t flags = data[0];
    const int start = static_cast<std::int16_t>(data[1] | (data[2] << 8)) % 300;
    const int number = static_cast<std::int8_t>(data[3]) % 8;  // count and maximum count
    const int max_length = data[4] % 16;
    const std::size_t first_length = data[5] % 9;
    const std::size_t second_length = data[6] % 9;
    const std::uint8_t more_flags = data[7];
    data += 8;
    size -= 8;

    const bool small_alphabet = flags & 0x40;
    const std::string first = take(data, size, first_length, small_alphabet);
    const std::string second = take(data, size, second_length, small_alphabet);
    const std::string page = take(data, size, size, small_alphabet);
    const bool ignore_case = flags & 0x01;
    const bool case_sensitive = flags & 0x02;
    const std::optional<int> count = (flags & 0x10) ? std::optional<int>(number) : std::nullopt;

    // A view over an exact-size heap copy, so that a read past the end is caught.
    const std::unique_ptr<char[]> exact(new char[page.size()]);
    std::memcpy(exact.get(), page.data(), page.size());
    const std::string_view text(exact.get(), page.size());

    same(text::find_text(text, first, start, ignore_case),
         reference::find_text(text, first, start, ignore_case), "find_text");
    same(text::find_text_reverse(text, first, ignore_case),
         reference::find_text_reverse(text, first, ignore_case), "find_text_reverse");
    same(text::replace_subtext(text, first, second, start, count, case_sensitive),
         reference::replace_subtext(text, first, second, start, count, case_sensitive), "replace_subtext");
    same(text::split_text(text, first, count), reference::split_text(text, first, count), "split_text");
    same(text::trim_both_ends(text), reference::trim_both_ends(text), "trim_both_ends");
    same(text::remove_all_spaces(text), reference::remove_all_spaces(text), "remove_all_spaces");
    same(text::to_lower(text), reference::to_lower(text), "to_lower");

    text::TextList fast;
    reference::TextList plain;
    const std::string prefix = (more_flags & 0x01) ? "P" : "";
    const std::string suffix = (more_flags & 0x02) ? "S" : "";
    const int fast_count = text::extract_all_between(text, first, second, fast, case_sensitive, max_length,
                                                     prefix, suffix, flags & 0x04, flags & 0x08, start);
    const int plain_count =
        reference::extract_all_between(text, first, second, plain, case_sensitive, max_length, prefix, suffix,
                                       flags & 0x04, flags & 0x08, start);
    same(fast_count, plain_count, "extract_all_between count");
    same(fast, plain, "extract_all_between");
    return 0;
}
