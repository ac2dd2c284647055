#include "platform/codepage.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <iconv.h>

namespace platform {
namespace {

constexpr int code_page_count = 3;
const iconv_t no_descriptor = reinterpret_cast<iconv_t>(-1);

int slot_of(int code_page) {
    switch (code_page) {
        case cp_gbk:
            return 0;
        case cp_utf8:
            return 1;
        case cp_utf16le:
            return 2;
        default:
            return -1;
    }
}

const char* iconv_name(int slot) {
    static const char* const names[code_page_count] = {"CP936", "UTF-8", "UTF-16LE"};
    return names[slot];
}

// Descriptors carry conversion state, so every thread keeps its own set; they are opened on
// first use and closed when the thread ends. Opening one per call costs more than many short
// conversions themselves (the keywords, header values and configuration lines).
struct Descriptors {
    iconv_t convert[code_page_count][code_page_count];
    // Source code page to UTF-32, used only to measure one character while repairing.
    iconv_t decode[code_page_count];

    Descriptors() {
        for (auto& row : convert)
            for (auto& cd : row) cd = no_descriptor;
        for (auto& cd : decode) cd = no_descriptor;
    }
    ~Descriptors() {
        for (auto& row : convert)
            for (auto& cd : row)
                if (cd != no_descriptor) iconv_close(cd);
        for (auto& cd : decode)
            if (cd != no_descriptor) iconv_close(cd);
    }
    Descriptors(const Descriptors&) = delete;
    Descriptors& operator=(const Descriptors&) = delete;
};

thread_local Descriptors descriptors;

iconv_t open_reset(iconv_t& cd, const char* to, const char* from) {
    if (cd == no_descriptor) {
        cd = iconv_open(to, from);
    } else {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return cd;
}

// Bytes taken by the character at `in` when it is a well-formed character of the source
// code page, 0 when it is not (including a sequence cut off by the end of the input).
std::size_t character_length(int from, const char* in, std::size_t in_left) {
    iconv_t cd = open_reset(descriptors.decode[from], "UTF-32LE", iconv_name(from));
    if (cd == no_descriptor) return 0;
    char unit[4];
    char* source = const_cast<char*>(in);
    std::size_t source_left = in_left < 8 ? in_left : 8;  // no character of ours is longer
    char* target = unit;
    std::size_t target_left = sizeof unit;
    iconv(cd, &source, &source_left, &target, &target_left);
    return target_left == 0 ? static_cast<std::size_t>(source - in) : 0;
}

// Room for the whole result in one pass on the common path; the loop grows it otherwise.
std::size_t first_estimate(int from, int to, std::size_t n) {
    if (to == 2) return 2 * n + 16;
    if (to == 1 && from != 1) return n + n / 2 + 16;
    return n + 16;
}

// One pass over the whole input into `Buffer` (std::string or a byte vector), so that callers
// who want bytes get them without a second copy of a page-sized result.
template <class Buffer>
Buffer convert(std::string_view input, int from_code_page, int to_code_page) {
    const int from = slot_of(from_code_page);
    const int to = slot_of(to_code_page);
    if (input.empty() || from < 0 || to < 0) return {};
    iconv_t cd = open_reset(descriptors.convert[from][to], iconv_name(to), iconv_name(from));
    if (cd == no_descriptor) return {};

    const std::string_view replacement = to == 2 ? std::string_view("?\0", 2) : std::string_view("?");
    // A bad UTF-16 unit is two bytes; skipping one would misalign everything after it.
    const std::size_t bad_unit = from == 2 ? 2 : 1;

    Buffer out(first_estimate(from, to, input.size()), 0);
    std::size_t written = 0;
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    while (in_left > 0) {
        char* target = reinterpret_cast<char*>(out.data()) + written;
        std::size_t target_left = out.size() - written;
        const std::size_t result = iconv(cd, &in, &in_left, &target, &target_left);
        written = out.size() - target_left;
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (errno != EILSEQ && errno != EINVAL) break;
        // Stopped at a character the target lacks (skip the whole character) or at bytes that
        // are no character at all (skip one unit and resynchronise on the next).
        std::size_t skip = character_length(from, in, in_left);
        if (skip == 0) skip = in_left < bad_unit ? in_left : bad_unit;
        if (out.size() - written < replacement.size()) out.resize(out.size() * 2);
        std::memcpy(out.data() + written, replacement.data(), replacement.size());
        written += replacement.size();
        in += skip;
        in_left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(written);
    return out;
}

}  // namespace

std::string convert_code_page(std::string_view input, int from_code_page, int to_code_page) {
    return convert<std::string>(input, from_code_page, to_code_page);
}

std::vector<unsigned char> convert_code_page_bytes(std::string_view input, int from_code_page,
                                                   int to_code_page) {
    return convert<std::vector<unsigned char>>(input, from_code_page, to_code_page);
}

}  // namespace platform
