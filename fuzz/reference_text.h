#pragma once
// Plain character-stepping walks, one comparison per step, kept apart from the fast scans
// of text/ so that the fuzz targets can hold the two against each other.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

using Text = std::string;
using TextList = std::vector<std::string>;

inline std::size_t step_at(std::string_view t, std::size_t i) {
    return (static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size()) ? 2 : 1;
}

inline bool same(char a, char b, bool ignore_case) {
    if (a == b) return true;
    if (!ignore_case) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
}

inline bool match_at(std::string_view t, std::size_t p, std::string_view s, bool ignore_case) {
    if (p + s.size() > t.size()) return false;
    for (std::size_t k = 0; k < s.size(); ++k) {
        if (!same(t[p + k], s[k], ignore_case)) return false;
    }
    return true;
}

inline int find_text(std::string_view t, std::string_view s, int start = 0, bool ignore_case = false) {
    std::size_t p = start < 2 ? 0 : static_cast<std::size_t>(start - 1);
    if (p >= t.size()) return -1;
    if (s.empty()) return 1;
    for (; p + s.size() <= t.size(); p += step_at(t, p)) {
        if (match_at(t, p, s, ignore_case)) return static_cast<int>(p + 1);
    }
    return -1;
}

inline int find_text_reverse(std::string_view t, std::string_view s, bool ignore_case = false) {
    int found = -1;
    if (s.empty()) return found;
    for (std::size_t p = 0; p + s.size() <= t.size(); p += step_at(t, p)) {
        if (match_at(t, p, s, ignore_case)) found = static_cast<int>(p + 1);
    }
    return found;
}

inline Text replace_subtext(std::string_view t, std::string_view old_text, std::string_view new_text,
                            int start, std::optional<int> count, bool case_sensitive) {
    if (start < 1) start = 1;
    if (t.empty() || old_text.empty() || static_cast<std::size_t>(start) > t.size() || (count && *count == 0))
        return Text(t);
    Text out(t.substr(0, static_cast<std::size_t>(start - 1)));
    std::size_t p = static_cast<std::size_t>(start - 1);
    int done = 0;
    while (p + old_text.size() <= t.size()) {
        if (match_at(t, p, old_text, !case_sensitive)) {
            out += new_text;
            p += old_text.size();
            if (count && ++done == *count) break;
        } else {
            const std::size_t n = step_at(t, p);
            out += t.substr(p, n);
            p += n;
        }
    }
    out += t.substr(p);
    return out;
}

inline TextList split_text(std::string_view t, std::string_view delimiter, std::optional<int> max_count) {
    TextList out;
    if (max_count && *max_count < 0) max_count = 0;
    if (t.empty() || (max_count && *max_count == 0)) return out;
    if (delimiter.empty()) return {Text(t)};
    std::size_t from = 0;
    std::size_t p = 0;
    while (p + delimiter.size() <= t.size()) {
        if (match_at(t, p, delimiter, false)) {
            out.emplace_back(t.substr(from, p - from));
            p += delimiter.size();
            from = p;
            if (max_count && static_cast<int>(out.size()) == *max_count) return out;
        } else {
            p += step_at(t, p);
        }
    }
    if (from < t.size()) out.emplace_back(t.substr(from));
    return out;
}

inline bool space_at(std::string_view t, std::size_t i) {
    return t[i] == ' ' || (i + 1 < t.size() && t[i] == '\xA1' && t[i + 1] == '\xA1');
}

inline Text trim_both_ends(std::string_view t) {
    std::size_t p = 0;
    while (p < t.size() && space_at(t, p)) p += step_at(t, p);
    const std::size_t first = p;
    std::size_t cut = t.size();
    while (p < t.size()) {
        if (space_at(t, p)) {
            if (cut == t.size()) cut = p;
        } else {
            cut = t.size();
        }
        p += step_at(t, p);
    }
    return Text(t.substr(first, cut - first));
}

inline Text remove_all_spaces(std::string_view t) {
    Text out;
    for (std::size_t p = 0; p < t.size(); p += step_at(t, p)) {
        if (!space_at(t, p)) out += t.substr(p, step_at(t, p));
    }
    return out;
}

inline Text to_lower(std::string_view t) {
    Text out;
    for (std::size_t p = 0; p < t.size(); p += step_at(t, p)) {
        if (step_at(t, p) == 2) {
            out += t.substr(p, 2);
        } else {
            out += (t[p] >= 'A' && t[p] <= 'Z') ? static_cast<char>(t[p] - 'A' + 'a') : t[p];
        }
    }
    return out;
}

// An empty start marker collects nothing (see text/extract.cpp).
inline int extract_all_between(std::string_view page, std::string_view open, std::string_view close,
                               TextList& list, bool case_sensitive, int max_length, std::string_view prefix,
                               std::string_view suffix, bool with_open, bool with_close, int start) {
    list.clear();
    if (open.empty()) return 0;
    int scan = start < 2 ? 1 : start;
    while (true) {
        const int at = find_text(page, open, scan, !case_sensitive);
        if (at < 0) break;
        const int content = at + static_cast<int>(open.size());
        const int end = find_text(page, close, content, !case_sensitive);
        if (end < 0 || end <= content) break;
        const Text piece = trim_both_ends(
            page.substr(static_cast<std::size_t>(content - 1), static_cast<std::size_t>(end - content)));
        if (piece.empty() || (max_length > 0 && static_cast<int>(piece.size()) > max_length)) break;
        Text item;
        if (with_open) item += open;
        item += prefix;
        item += piece;
        item += suffix;
        if (with_close) item += close;
        list.push_back(item);
        scan = end;
    }
    return static_cast<int>(list.size());
}

}  // namespace reference
