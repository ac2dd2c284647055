#include "text/extract.h"

#include "text/scan.h"

namespace text {

namespace {

// "#引号" in GBK. Spelled as bytes so that this file needs no conversion at run time.
constexpr std::string_view quote_token = "#\xD2\xFD\xBA\xC5";

Text with_quotes(std::string_view marker) {
    return replace_subtext(marker, quote_token, "\"", 1, std::nullopt, true);
}

}  // namespace

Text extract_between(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                     int start, bool case_sensitive) {
    const Text open = with_quotes(start_marker);
    const Text close = with_quotes(end_marker);
    const int at = find_text(text, open, start, !case_sensitive);
    if (at == -1) return {};
    const int content = at + text_length(open);
    const int end = find_text(text, close, content, !case_sensitive);
    if (end == -1) return {};
    return text_mid(text, content, end - content);
}

Text extract_after_marker(std::string_view text, std::string_view start_marker, std::string_view end_marker) {
    const int at = find_text(text, start_marker);
    if (at == -1) return {};
    const Text tail = text_right(text, text_length(text) - (at - 1) - text_length(start_marker));
    const int end = find_text(tail, end_marker);
    if (end == -1) return {};
    return text_left(tail, end - 1);
}

Text text_after_last(std::string_view text, std::string_view marker, bool ignore_case) {
    const int at = find_text_reverse(text, marker, ignore_case);
    if (at == -1) return {};
    return text_right(text, text_length(text) - (at - 1) - text_length(marker));
}

// An empty start marker collects nothing: it is "found" at byte 1 on every search, so the
// collection would never move on. (An empty end marker ends it on the first, empty, piece.)
int extract_all_between(std::string_view page, std::string_view start_marker, std::string_view end_marker,
                        TextList& list, bool case_sensitive, int max_length, std::string_view prefix,
                        std::string_view suffix, bool include_start_marker, bool include_end_marker,
                        int start) {
    list.clear();
    if (start_marker.empty() || end_marker.empty()) return 0;
    // One finder per marker for the whole page: their searches only move forward.
    scan::Finder opening(page, start_marker, !case_sensitive);
    scan::Finder closing(page, end_marker, !case_sensitive);
    std::size_t scan = start < 2 ? 0 : static_cast<std::size_t>(start) - 1;
    while (scan < page.size()) {
        const std::size_t at = opening.next(scan);
        if (at == scan::none) break;
        const std::size_t content = at + start_marker.size();
        const std::size_t end = content < page.size() ? closing.next(content) : scan::none;
        if (end == scan::none) break;
        Text piece = trim_both_ends(page.substr(content, end - content));
        if (piece.empty() || (max_length > 0 && text_length(piece) > max_length)) break;
        if (include_start_marker || include_end_marker || !prefix.empty() || !suffix.empty()) {
            Text item;
            item.reserve(start_marker.size() + prefix.size() + piece.size() + suffix.size() +
                         end_marker.size());
            if (include_start_marker) item.append(start_marker);
            item.append(prefix);
            item.append(piece);
            item.append(suffix);
            if (include_end_marker) item.append(end_marker);
            piece = std::move(item);
        }
        list.push_back(std::move(piece));
        scan = end;
    }
    return list_count(list);
}

}  // namespace text
