#include "text/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "text/scan.h"

namespace text {

namespace {

// Bytes taken by the character starting at index i: a lead byte (0x80..0xFF) and its
// follower make one character, unless the lead byte is the last byte of the text.
std::size_t char_size(std::string_view t, std::size_t i) {
    return (static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size()) ? 2 : 1;
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
    const std::size_t at = scan::Finder(text, sought, ignore_case).next(begin);
    return at == scan::none ? -1 : static_cast<int>(at) + 1;
}

// An empty sought text has no last occurrence.
int find_text_reverse(std::string_view text, std::string_view sought, bool ignore_case) {
    if (sought.empty()) return -1;
    scan::Finder finder(text, sought, ignore_case);
    int last = -1;
    // Matches may overlap: the walk goes on with the character after each match's start.
    for (std::size_t at = finder.next(0); at != scan::none; at = finder.next(at + char_size(text, at))) {
        last = static_cast<int>(at) + 1;
    }
    return last;
}

Text to_lower(std::string_view text) {
    Text out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 0x80) {
            ++i;  // the trail byte stays as it is
        } else {
            out[i] = static_cast<char>(scan::fold_table[c]);
        }
    }
    return out;
}

Text trim_both_ends(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && is_space_at(text, first)) first += char_size(text, first);
    // Trailing spaces consist of the bytes 20 and A1 only: find where that tail begins, put
    // it on the walk, and walk just the tail.
    std::size_t tail = text.size();
    while (tail > first && (text[tail - 1] == ' ' || static_cast<unsigned char>(text[tail - 1]) == 0xA1))
        --tail;
    if (tail == text.size()) return Text(text.substr(first));
    scan::Steps steps(reinterpret_cast<const unsigned char*>(text.data()));
    steps.restart(first);
    std::size_t i = steps.on_step(tail) ? tail : tail + 1;
    std::size_t end = text.size();
    for (; i < text.size(); i += char_size(text, i)) {
        if (!is_space_at(text, i)) {
            end = text.size();
        } else if (end == text.size()) {
            end = i;
        }
    }
    return Text(text.substr(first, end - first));
}

Text remove_all_spaces(std::string_view text) {
    Text out;
    out.reserve(text.size());
    std::size_t kept = 0;  // start of the run of bytes not yet copied
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t step = char_size(text, i);
        if (is_space_at(text, i)) {
            out.append(text.substr(kept, i - kept));
            kept = i + step;
        }
        i += step;
    }
    out.append(text.substr(kept));
    return out;
}

// A negative count never runs out, like an omitted one.
Text replace_subtext(std::string_view text, std::string_view old_text, std::string_view new_text, int start,
                     std::optional<int> count, bool case_sensitive) {
    const std::size_t begin = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (text.empty() || old_text.empty() || begin >= text.size() || (count && *count == 0)) return Text(text);
    scan::Finder finder(text, old_text, !case_sensitive);
    Text out;
    out.reserve(text.size());
    std::size_t p = begin;
    out.append(text.substr(0, p));
    int replaced = 0;
    for (std::size_t at = finder.next(p); at != scan::none; at = finder.next(p)) {
        out.append(text.substr(p, at - p));
        out.append(new_text);
        p = at + old_text.size();
        ++replaced;
        if (count && replaced == *count) break;
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
    scan::Finder finder(text, delimiter, false);
    std::size_t piece = 0;
    for (std::size_t at = finder.next(0); at != scan::none; at = finder.next(piece)) {
        list.emplace_back(text.substr(piece, at - piece));
        piece = at + delimiter.size();
        if (limit > 0 && list_count(list) == limit) return list;
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
    const std::size_t n =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : bytes.size();
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
