#include "search/engines.h"

#include "config/addresses.h"
#include "search/search.h"
#include "search/texts.h"
#include "text/charset.h"
#include "text/extract.h"

namespace search {

namespace {

using text::Text;

// The page on which a btsp result's hash follows.
Text btsp_detail_path() { return Text(addresses::btsp_origin) + "/magnet/detail/hash/"; }

struct MarkerPair {
    Text start;
    Text end;
};

struct EngineMarkers {
    MarkerPair names;
    MarkerPair links;
    MarkerPair sizes;
};

const EngineMarkers& markers_of(SearchEngine engine) {
    // Built once; never destroyed, since workers scrape while the process ends.
    static const EngineMarkers* const table = [] {
        auto* made = new EngineMarkers[4];
        made[0] = {{"</a>\n</p>\n<div class=\"m-files\">\n\n\n\n\n<ul class=\"m-files-ul\">\n\n<li>",
                    "\n<span style=\"color:#888;\">"},
                   {"</span> &nbsp;&nbsp;\n<a href=\"", "\""},
                   {texts::btdigg_size_start(), "&nbsp;&nbsp"}};
        made[1] = {{"</a>\n    <br/>\n\n  ", "<small>"},
                   {"ed2k://|file|", "/"},
                   {texts::ed2k_size_start(), "&nbsp;|&nbsp"}};
        made[2] = {{"<tr><td class=\"name\">", "</td>"},
                   {"Detail</a><a href=\"", "\" title=\""},
                   {"</td><td class=\"size\">", "</td>"}};
        made[3] = {{"class=\"btn\" title=\"", "\""},
                   {"<td class=\"action\"><a href=\"" + btsp_detail_path(), "\""},
                   {"<td class=\"files-size\">", "</td>"}};
        return made;
    }();
    return table[static_cast<int>(engine)];
}

}  // namespace

std::optional<SearchEngine> engine_at(int index) {
    if (index < 0 || index > 3) return std::nullopt;
    return static_cast<SearchEngine>(index);
}

Text encoded_keyword(const Text& keyword) {
    return text::url_encode(keyword, /*keep_unreserved=*/true, /*via_utf8=*/true);
}

Text first_page_address(SearchEngine engine, const app::Endpoints& endpoints, const Text& keyword) {
    const Text k = encoded_keyword(keyword);
    switch (engine) {
        case SearchEngine::btdigg:
            return endpoints.magnet_base + k;
        case SearchEngine::ed2k:
            return text::trim_both_ends(endpoints.ed2k_base + k + "?page=1&mode=thumb");
        case SearchEngine::code:
            return endpoints.code_base + k + "/";
        case SearchEngine::btsp:
            return Text(addresses::btsp_origin) + "/search/" + k + "/currentPage/1";
    }
    return {};
}

Text further_page_address(SearchEngine engine, const app::Endpoints& endpoints, const Text& keyword, int k) {
    const Text encoded = encoded_keyword(keyword);
    switch (engine) {
        case SearchEngine::btdigg:
            return endpoints.magnet_base + encoded + "&p=" + text::to_text(k);
        case SearchEngine::ed2k:
            return endpoints.ed2k_base + encoded + "?page=" + text::to_text(k + 1) + "&mode=thumb";
        case SearchEngine::code:
            return endpoints.code_base + encoded + "/" + text::to_text(k);
        case SearchEngine::btsp:
            return Text(addresses::btsp_origin) + "/search/" + encoded + "/currentPage/" +
                   text::to_text(k + 1);
    }
    return {};
}

Text decoded_page(SearchEngine engine, Text page) {
    if (engine == SearchEngine::code) return text::url_decode(page, /*from_utf8=*/false);
    return page;
}

bool page_has_no_results(SearchEngine engine, const Text& page_text) {
    switch (engine) {
        case SearchEngine::ed2k:
            return text::find_text(page_text, texts::ed2k_results_mark()) == -1;
        case SearchEngine::btsp:
            return text::find_text(page_text, texts::btsp_no_results_mark()) != -1;
        case SearchEngine::btdigg:
        case SearchEngine::code:
            return false;
    }
    return false;
}

void scrape_page(SearchEngine engine, SearchState& state) {
    const EngineMarkers& m = markers_of(engine);
    text::extract_all_between(state.page_text, m.names.start, m.names.end, state.names);
    text::extract_all_between(state.page_text, m.links.start, m.links.end, state.links);
    text::extract_all_between(state.page_text, m.sizes.start, m.sizes.end, state.sizes);
    if (engine == SearchEngine::ed2k)
        state.total = text::extract_between(state.page_text, texts::ed2k_total_start(), "</b></td>");
}

std::optional<Text> complete_link(int engine_index, const Text& stored_link) {
    const std::optional<SearchEngine> engine = engine_at(engine_index);
    if (!engine) return std::nullopt;
    switch (*engine) {
        case SearchEngine::ed2k:
            return "ed2k://|file|" + stored_link;
        case SearchEngine::btsp:
            return "magnet:?xt=urn:btih:" + stored_link;
        case SearchEngine::btdigg:
        case SearchEngine::code:
            return stored_link;
    }
    return std::nullopt;
}

}  // namespace search
