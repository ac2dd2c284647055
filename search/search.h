#pragma once
// The search: a keyword and an engine in, numbered result rows out, page after page.
//
// Every step runs on a worker of its own (platform::start_worker) and meets the screen only
// through a SearchView, which the window implements over its controls, and the headless tool
// over standard output. A step reads the keyword and the engine from the view at the moment it
// needs them; nothing passes from one step to the next except through the session's state.
//
// One operation at a time: a search or a "加载更多" marks the session busy from the press that
// starts it until its last step has ended; a press meanwhile is ignored.

#include <atomic>
#include <cstddef>
#include <vector>

#include "app/config.h"
#include "search/engines.h"
#include "text/text.h"

namespace search {

// What the last fetched page gave, and how far the current search has gone.
struct SearchState {
    text::Text page_text;  // after the engine's decoding
    text::TextList names;
    text::TextList links;  // in the engine's stored form
    text::TextList sizes;
    text::Text total;      // the ed2k engine's result total; only an ed2k scrape sets it
    int row_counter = 0;   // rows appended since the search began
    int page_counter = 0;  // further pages asked for since the search began
};

// One row of the result list, its four columns.
struct ResultRow {
    text::Text number;  // the row number as decimal text
    text::Text name;    // "【双击播放】" and the result's name
    text::Text link;    // the stored link
    text::Text size;
};

// How an operation ended, for whoever waits on it.
enum class Outcome {
    listed,        // a page was scraped and its rows appended (perhaps none)
    no_results,    // the engine said it found nothing
    last_page,     // ed2k: every reported result is listed already
    fetch_failed,  // the page could not be fetched
    no_engine,     // no engine was selected; nothing was asked
};

// The controls a search reads and writes. Called from workers; the window carries every call
// onto its own thread. Texts are GBK.
class SearchView {
  public:
    virtual ~SearchView() = default;

    virtual text::Text keyword() = 0;  // the keyword box
    virtual int engine_index() = 0;    // the engine combo's current selection, -1 for none
    virtual app::Endpoints endpoints() = 0;

    virtual void clear_rows() = 0;
    virtual void append_rows(std::vector<ResultRow> rows) = 0;
    virtual void set_notice_visible(bool visible) = 0;  // the loading notice
    virtual void set_status_text(const text::Text& status) = 0;
    // A message box; the calling worker waits until it is closed.
    virtual void show_message(const text::Text& message) = 0;

    // The operation has ended and the session is free again; its last call on the view.
    virtual void operation_ended(Outcome) {}
};

// A search area: its view, its state and the mark of the running operation. It must outlive
// every operation started on it (the window's lives as long as the process).
struct SearchSession {
    explicit SearchSession(SearchView& v) : view(v) {}
    SearchView& view;
    SearchState state;
    std::atomic<bool> busy{false};
};

// The search button: an empty keyword gets a message; otherwise run_search starts on a worker.
// True when it started (false too when another operation is still running).
bool start_search(SearchSession& session);
// Empties the list, resets the counters, shows the notice and starts the engine's first page.
void run_search(SearchSession& session);

// "加载更多": run_load_more on a worker. True when it started.
bool load_more(SearchSession& session);
// Shows the notice and starts the engine's next page (for ed2k after its page check).
void run_load_more(SearchSession& session);

// Appends one row per result of the last page, numbered on from the rows before, then hides
// the notice. Rows stop at the shortest of names, links and sizes: no row is half filled.
void fill_result_rows(SearchSession& session);

// Rows go to the view in batches, the first of this many and each further one four times the
// one before: the first rows show at once and the menu works on them while a large page is still
// being appended, and the batches stay few.
inline constexpr std::size_t first_row_batch = 500;

}  // namespace search
