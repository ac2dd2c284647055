#include "search/search.h"

#include <algorithm>
#include <utility>

#include "http/request.h"
#include "platform/threads.h"
#include "search/texts.h"

namespace search {

namespace {

using text::Text;

// The session is free again before anyone hears that the operation ended.
void end_operation(SearchSession& session, Outcome outcome) {
    SearchView& view = session.view;
    session.busy = false;
    view.operation_ended(outcome);
}

// A page that never arrived, or an error page, is no result page: telling the user "done"
// over an empty list would hide that the site could not be reached.
bool fetch_page(const Text& address, Text& page) {
    http::RequestOptions options;
    options.url = address;
    page = http::web_request_text(options);
    return !options.failed && options.status < 400;
}

void end_with_message(SearchSession& session, const Text& message, Outcome outcome) {
    session.view.show_message(message);
    session.view.set_notice_visible(false);
    end_operation(session, outcome);
}

Text ed2k_status(const Text& total) { return texts::ed2k_total_head() + total + texts::ed2k_total_tail(); }

void scrape_and_list(SearchSession& session, SearchEngine engine, bool first_page) {
    scrape_page(engine, session.state);
    fill_result_rows(session);
    if (engine == SearchEngine::ed2k) {
        session.view.set_status_text(ed2k_status(session.state.total));
    } else if (first_page) {
        session.view.set_status_text(texts::search_done());
    }
    end_operation(session, Outcome::listed);
}

void first_page_step(SearchSession& session, SearchEngine engine) {
    const Text keyword = session.view.keyword();
    Text page;
    if (!fetch_page(first_page_address(engine, session.view.endpoints(), keyword), page)) {
        end_with_message(session, texts::fetch_failed(), Outcome::fetch_failed);
        return;
    }
    session.state.page_text = decoded_page(engine, std::move(page));
    if (page_has_no_results(engine, session.state.page_text)) {
        end_with_message(session, texts::no_results_head() + keyword + texts::no_results_tail(),
                         Outcome::no_results);
        return;
    }
    if (engine == SearchEngine::btdigg) {
        scrape_and_list(session, engine, true);
        return;
    }
    platform::start_worker([&session, engine] { scrape_and_list(session, engine, true); });
}

void further_page_step(SearchSession& session, SearchEngine engine) {
    const Text keyword = session.view.keyword();
    const int k = ++session.state.page_counter;
    Text page;
    if (!fetch_page(further_page_address(engine, session.view.endpoints(), keyword, k), page)) {
        // The page was not seen: the next "加载更多" asks for it again instead of skipping it.
        --session.state.page_counter;
        end_with_message(session, texts::fetch_failed(), Outcome::fetch_failed);
        return;
    }
    session.state.page_text = decoded_page(engine, std::move(page));
    scrape_and_list(session, engine, false);
}

// ed2k knows how many results there are: once all are listed there is no next page to ask for.
void ed2k_page_check(SearchSession& session) {
    if (session.state.row_counter < text::to_int(session.state.total)) {
        platform::start_worker([&session] { further_page_step(session, SearchEngine::ed2k); });
        return;
    }
    end_with_message(session, texts::last_page(), Outcome::last_page);
}

bool claim(SearchSession& session) {
    bool free = false;
    return session.busy.compare_exchange_strong(free, true);
}

}  // namespace

bool start_search(SearchSession& session) {
    if (!claim(session)) return false;
    if (session.view.keyword().empty()) {
        session.busy = false;
        session.view.show_message(texts::empty_keyword());
        return false;
    }
    platform::start_worker([&session] { run_search(session); });
    return true;
}

void run_search(SearchSession& session) {
    session.view.clear_rows();
    session.state.row_counter = 0;
    session.state.page_counter = 0;
    session.view.set_notice_visible(true);
    const std::optional<SearchEngine> engine = engine_at(session.view.engine_index());
    if (!engine) {
        // Nothing was asked; the notice stays until a later operation hides it.
        end_operation(session, Outcome::no_engine);
        return;
    }
    platform::start_worker([&session, e = *engine] { first_page_step(session, e); });
}

bool load_more(SearchSession& session) {
    if (!claim(session)) return false;
    platform::start_worker([&session] { run_load_more(session); });
    return true;
}

void run_load_more(SearchSession& session) {
    session.view.set_notice_visible(true);
    const std::optional<SearchEngine> engine = engine_at(session.view.engine_index());
    if (!engine) {
        end_operation(session, Outcome::no_engine);
        return;
    }
    if (*engine == SearchEngine::ed2k) {
        platform::start_worker([&session] { ed2k_page_check(session); });
        return;
    }
    platform::start_worker([&session, e = *engine] { further_page_step(session, e); });
}

void fill_result_rows(SearchSession& session) {
    SearchState& state = session.state;
    const std::size_t count = std::min({state.names.size(), state.links.size(), state.sizes.size()});
    std::vector<ResultRow> batch;
    std::size_t batch_limit = first_row_batch;
    for (std::size_t i = 0; i < count; ++i) {
        ++state.row_counter;
        batch.push_back({text::to_text(state.row_counter), texts::play_prefix() + state.names[i],
                         state.links[i], state.sizes[i]});
        if (batch.size() == batch_limit) {
            session.view.append_rows(std::move(batch));
            batch.clear();
            // The list lays out all its rows again after each batch: growing batches keep a
            // large page linear.
            batch_limit *= 4;
        }
    }
    if (!batch.empty()) session.view.append_rows(std::move(batch));
    session.view.set_notice_visible(false);
}

}  // namespace search
