#pragma once
// The search page (page 1) of the main window: the search and "加载更多" buttons, Enter in the
// keyword box, the loading notice, the result list with its menu and double-click, wired to
// the search folder's logic.

#include <memory>

#include "search/search.h"

namespace app {

class MainWindow;

// Connects the page's controls; call once, when the window's controls and menus exist.
void connect_search_page(MainWindow* window);

// The page's controls as the search logic sees them: every call is carried onto the GUI thread.
// The page makes its own; a benchmark drives the logic through one of these.
std::unique_ptr<search::SearchView> make_search_view(MainWindow* window);

// True while a search or "加载更多" runs on the window's search page; presses of either button
// are ignored meanwhile.
bool search_running(const MainWindow* window);

}  // namespace app
