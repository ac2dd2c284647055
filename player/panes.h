#pragma once
// The three player pages: cloud playback (page 0), live TV (page 2) and the HD library
// (page 3). Each is a thin frame around a browser pane; the program only builds addresses.

#include <string>

#include "text/text.h"

class QWidget;

namespace player {

// The cloud player service followed by `link`, unchanged: no trimming, no encoding.
text::Text cloud_player_address(const text::Text& link);

// The HD player service followed by the play page's address, percent-encoded byte for byte
// (letters, digits, "-" and "." kept) with underscores left as they are.
text::Text hd_player_address(const text::Text& page_address);

text::Text live_tv_address();

// The blank page beside the program: run directory + "1.html".
std::string blank_page_path();

// Wires the buttons of the three pages of `window` (found by their names) and sends the
// cloud-playback pane to the blank page; the other two panes start empty.
void connect_player_panes(QWidget* window);

// Loads the live-TV page afresh; the navigation button calls it after switching to page 2.
void load_live_tv(QWidget* window);

}  // namespace player
