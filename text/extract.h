#pragma once
// Values are never parsed out of pages, headers or the configuration: they are cut
// between a fixed start marker and a fixed end marker.

#include "text/text.h"

namespace text {

// The text between the first start marker (from `start`) and the next end marker after it.
// "#引号" (GBK) in either marker stands for a double quote. Ignores ASCII case by default.
Text extract_between(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                     int start = 0, bool case_sensitive = false);

// The same cut with exact case and without the quote token.
Text extract_after_marker(std::string_view text, std::string_view start_marker, std::string_view end_marker);

// Everything after the last occurrence of `marker`; exact case unless told otherwise.
Text text_after_last(std::string_view text, std::string_view marker, bool ignore_case = false);

// Fills `list` (emptied first) with every trimmed piece between repeated marker pairs; the
// first empty or over-long piece ends the collection. Returns the number of items.
int extract_all_between(std::string_view page, std::string_view start_marker, std::string_view end_marker,
                        TextList& list, bool case_sensitive = false, int max_length = 0,
                        std::string_view prefix = {}, std::string_view suffix = {},
                        bool include_start_marker = false, bool include_end_marker = false, int start = 0);

}  // namespace text
