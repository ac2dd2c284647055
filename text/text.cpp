#include "text/text.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace text {

namespace {

// Bytes taken by the character starting at index i: a lead byte (0x80..0xFF) and its
// follower make one character, unless the lead byte is the last byte of the text.
std::size_t char_size(std::string_view t, std::size_t i) {
    return (static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size()) ? 2 : 1;
}

unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool equal_at(std::string_view t, std::size_t i, std::string_view sought, bool ignore_case) {
    if (!ignore_case) return std::memcmp(t.data() + i, sought.data(), sought.size()) == 0;
    for (std::size_t k = 0; k < sought.size(); ++k) {
        if (fold(static_cast<unsigned char>(t[i + k])) != fold(static_cast<unsigned char>(sought[k])))
            return false;
    }
    return true;
}

// Index where a scan from 1-based `start` begins (below 2 means the first byte).
std::size_t scan_begin(int start) { return start < 2 ? 0 : static_cast<std::size_t>(start) - 1; }

bool is_space_at(std::string_view t, std::size_t i) {
    if (t[i] == ' ') return true;
    return i + 1 < t.size() && static_cast<unsigned char>(t[i]) == 0xA1 &&
           static_cast<unsigned char>(t[i + 1]) == 0xA1;
}

}  // namespace

int list_count(const TextList& list) { return static_cast<int>(list.size()); }

Text list_item(const TextList& list, int position) {
    if (position < 1 || position > list_count(list)) return {};
    return list[static_cast<std::size_t>(position) - 1];
}

int text_length(std::string_view text) { return static_cast<int>(text.size()); }

Text text_left(std::string_view text, int n) {
    if (n <= 0) return {};
    return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text text_right(std::string_view text, int n) {
    if (n <= 0) return {};
    std::size_t k = std::min(text.size(), static_cast<std::size_t>(n));
    return Text(text.substr(text.size() - k));
}

Text text_mid(std::string_view text, int start, int n) {
    if (start < 1 || n <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
    return Text(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

int find_text(std::string_view text, std::string_view sought, int start, bool ignore_case) {
    const std::size_t begin = scan_begin(start);
    if (begin >= text.size()) return -1;
    if (sought.empty()) return 1;
    const std::size_t m = sought.size();
    for (std::size_t p = begin; p + m <= text.size(); p += char_size(text, p)) {
        if (equal_at(text, p, sought, ignore_case)) return static_cast<int>(p) + 1;
    }
    return -1;
}

// An empty sought text has no last occurrence.
int find_text_reverse(std::string_view text, std::string_view sought, bool ignore_case) {
    if (sought.empty()) return -1;
    const std::size_t m = sought.size();
    int last = -1;
    for (std::size_t p = 0; p + m <= text.size(); p += char_size(text, p)) {
        if (equal_at(text, p, sought, ignore_case)) last = static_cast<int>(p) + 1;
    }
    return last;
}

Text to_lower(std::string_view text) {
    Text out(text);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t step = char_size(text, i);
        if (step == 1) out[i] = static_cast<char>(fold(static_cast<unsigned char>(out[i])));
        i += step;
    }
    return out;
}

Text trim_both_ends(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space_at(text, i)) i += char_size(text, i);
    const std::size_t first = i;
    std::size_t run_start = text.size();  // where the current run of spaces began, if any
    bool in_run = false;
    while (i < text.size()) {
        if (is_space_at(text, i)) {
            if (!in_run) {
                run_start = i;
                in_run = true;
            }
        } else {
            in_run = false;
        }
        i += char_size(text, i);
    }
    const std::size_t end = in_run ? run_start : text.size();
    return Text(text.substr(first, end - first));
}

Text remove_all_spaces(std::string_view text) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t step = char_size(text, i);
        if (!is_space_at(text, i)) out.append(text.substr(i, step));
        i += step;
    }
    return out;
}

// A negative count never runs out, like an omitted one.
Text replace_subtext(std::string_view text, std::string_view old_text, std::string_view new_text, int start,
                     std::optional<int> count, bool case_sensitive) {
    const std::size_t begin = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (text.empty() || old_text.empty() || begin >= text.size() || (count && *count == 0)) return Text(text);
    const std::size_t m = old_text.size();
    Text out(text.substr(0, begin));
    std::size_t p = begin;
    int replaced = 0;
    while (p + m <= text.size()) {
        if (equal_at(text, p, old_text, !case_sensitive)) {
            out.append(new_text);
            p += m;
            ++replaced;
            if (count && replaced == *count) break;
        } else {
            std::size_t step = char_size(text, p);
            out.append(text.substr(p, step));
            p += step;
        }
    }
    out.append(text.substr(p));
    return out;
}

TextList split_text(std::string_view text, std::string_view delimiter, std::optional<int> max_count) {
    TextList list;
    const int limit = max_count ? std::max(*max_count, 0) : -1;
    if (text.empty() || limit == 0) return list;
    if (delimiter.empty()) {
        list.emplace_back(text);
        return list;
    }
    const std::size_t m = delimiter.size();
    std::size_t piece = 0;
    for (std::size_t p = 0; p + m <= text.size();) {
        if (equal_at(text, p, delimiter, false)) {
            list.emplace_back(text.substr(piece, p - piece));
            p += m;
            piece = p;
            if (limit > 0 && list_count(list) == limit) return list;
        } else {
            p += char_size(text, p);
        }
    }
    if (piece < text.size()) list.emplace_back(text.substr(piece));
    return list;
}

int to_int(std::string_view text) {
    // Full-width forms read as their ASCII counterparts first.
    Text s;
    s.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t step = char_size(text, i);
        const auto lead = static_cast<unsigned char>(text[i]);
        if (step == 2) {
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
                s.push_back(static_cast<char>(trail & 0x7F));
            } else if (lead == 0xA1 && trail == 0xA1) {
                s.push_back(' ');
            } else {
                s.append(text.substr(i, 2));
            }
        } else {
            s.push_back(static_cast<char>(lead));
        }
        i += step;
    }
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::int64_t value = 0;
    const std::int64_t cap = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = std::min(value * 10 + (s[i] - '0'), cap);
    }
    if (negative) return static_cast<int>(-value);
    return static_cast<int>(std::min(value, cap - 1));
}

Text to_text(int value) { return std::to_string(value); }

Text to_text(std::int64_t value) { return std::to_string(value); }

Text to_text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return buffer;
}

Text to_text(const Bytes& bytes) {
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const void* zero = bytes.empty() ? nullptr : std::memchr(data, 0, bytes.size());
    const std::size_t n = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : bytes.size();
    return Text(data, n);
}

Text to_text(std::string_view text) { return Text(text); }

Text to_hex_text(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
    return buffer;
}

// A code whose low 8 bits are 0 would put a zero byte into the text.
Text char_from_code(int code) {
    const auto byte = static_cast<unsigned char>(code & 0xFF);
    if (byte == 0) return {};
    return Text(1, static_cast<char>(byte));
}

Bytes to_bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

int bytes_length(const Bytes& bytes) { return static_cast<int>(bytes.size()); }

Bytes bytes_left(const Bytes& bytes, int n) {
    if (n <= 0) return {};
    const std::size_t k = std::min(bytes.size(), static_cast<std::size_t>(n));
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(k));
}

int find_bytes(const Bytes& bytes, const Bytes& sought) {
    if (sought.empty() || sought.size() > bytes.size()) return -1;
    const std::string_view hay(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string_view needle(reinterpret_cast<const char*>(sought.data()), sought.size());
    const std::size_t at = hay.find(needle);
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

Text blank_text(int n) { return n < 1 ? Text() : Text(static_cast<std::size_t>(n), ' '); }

Bytes blank_bytes(int n) { return n < 1 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0); }

double round_decimal(double x, int decimals) {
    if (x == 0.0) return x;
    const double scale = std::pow(10.0, std::abs(decimals));
    double magnitude = std::fabs(x);
    magnitude = decimals >= 0 ? magnitude * scale : magnitude / scale;
    double whole = 0.0;
    const double fraction = std::modf(magnitude + 1e-12, &whole);
    if (fraction >= 0.5) whole += 1.0;
    whole = decimals >= 0 ? whole / scale : whole * scale;
    return std::copysign(whole, x);
}

}  // namespace text
