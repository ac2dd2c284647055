#pragma once
// The four engines: where their result pages live, how a page says "nothing found", the
// marker pairs the results are cut out with, and the links the outside world takes.

#include <optional>

#include "app/config.h"
#include "text/text.h"

namespace search {

// By the index of the engine combo's items.
enum class SearchEngine { btdigg = 0, ed2k = 1, code = 2, btsp = 3 };

// The engine of a combo index; none outside 0 to 3 (no current selection).
std::optional<SearchEngine> engine_at(int index);

// The keyword as the addresses carry it: its UTF-8 bytes, letters, digits, "-" and "." kept.
text::Text encoded_keyword(const text::Text& keyword);

// The first result page, and further page `k` (1 for the first "加载更多" after a search).
text::Text first_page_address(SearchEngine engine, const app::Endpoints& endpoints,
                              const text::Text& keyword);
text::Text further_page_address(SearchEngine engine, const app::Endpoints& endpoints,
                                const text::Text& keyword, int k);

// The engine's own decoding of a fetched page: the code engine's pages come percent-encoded.
text::Text decoded_page(SearchEngine engine, text::Text page);

// True when a first page says the engine found nothing (only ed2k and btsp tell).
bool page_has_no_results(SearchEngine engine, const text::Text& page_text);

struct SearchState;
// Fills names, links and sizes (and for ed2k the total) from `state.page_text`.
void scrape_page(SearchEngine engine, SearchState& state);

// The link of a result as magnet and ed2k handlers take it, built from the stored link of a
// row and the engine selected now; none without an engine.
std::optional<text::Text> complete_link(int engine_index, const text::Text& stored_link);

}  // namespace search
