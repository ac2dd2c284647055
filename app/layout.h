#pragma once
// The main window's layout as data: every control with its name (which is also its Qt object
// name), kind, parent, place, size, initial text, look and initial state. The window is built
// from these rows and nothing else, so changing the screen means changing a row here.

#include <vector>

namespace app {

inline constexpr int window_width = 960;
inline constexpr int window_height = 622;

enum class Kind {
    tab_control,        // pages without headers
    picture_button,     // normal and highlighted picture, hand cursor
    transparent_label,  // text only over what lies behind; reacts when the left button goes down
    label,
    edit_box,
    password_box,  // an edit box masked with "*"
    button,
    picture_box,  // an opaque container, or a picture (`extra` names it)
    group_box,
    combo_box,  // editable drop-down; `extra` holds the items, one a line
    list_view,  // report style; `extra` holds "header:width" lines, width 0 hides the column
    browser_view,
};

// Where a control sits: on the window itself, on a page of the tab control, or in a container
// named earlier in the table.
struct Parent {
    int page = -1;
    const char* container = nullptr;
};
inline constexpr Parent on_window{};
constexpr Parent on_page(int page) { return Parent{page, nullptr}; }
constexpr Parent in(const char* container) { return Parent{-1, container}; }

// Font and colour; a zero size keeps the window's font, a negative colour the default one.
struct Look {
    int pixel_size = 0;
    bool bold = false;
    int colour = -1;  // 0xRRGGBB
};
constexpr Look song_bold(int pixel_size, int colour) { return Look{pixel_size, true, colour}; }
constexpr Look coloured(int colour) { return Look{0, false, colour}; }
inline constexpr Look plain{};

enum State : unsigned {
    shown = 0,
    hidden = 1u << 0,
    disabled = 1u << 1,
    hand_cursor = 1u << 2,
};

struct ControlRow {
    const char* name;
    Kind kind;
    Parent parent;
    int x, y, width, height;
    const char* text = "";  // UTF-8; "\r\n" stands for a line break
    Look look = plain;
    unsigned state = shown;
    const char* extra = "";  // pictures, items or columns, by kind
    int current = -1;        // the selected item of a combo box
};

// The pages of the tab control, in order; their names are never displayed.
const std::vector<const char*>& page_names();

// Every control of the main window, containers before what they contain.
const std::vector<ControlRow>& main_window_layout();

}  // namespace app
