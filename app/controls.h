#pragma once
// How the rest of the program reaches the main window's controls by their design names.
//
// The functions below may be called from any thread: each carries its work onto the GUI
// thread with platform::run_on_gui and returns when it is done, so a worker sees the control
// exactly as the GUI thread leaves it. Texts are GBK on this side, as everywhere in the program.
// For anything they do not cover (the rows of 超级列表框1, the current item of 组合框1), do the
// same by hand:
//
//     platform::run_on_gui([&] {
//         auto* list = app::control<QTreeWidget>("超级列表框1");
//         ...
//     });
//
// A logic folder's view interface is implemented in the window's library over these calls.

#include <string_view>

#include <QWidget>

#include "text/text.h"

namespace app {

class MainWindow;

// The main window once it is made; the entry routine (or a test) registers it.
MainWindow* main_window();
void set_main_window(MainWindow* window);

// A control of the main window by its design name, or nullptr. GUI thread only.
QWidget* find_control(std::string_view name);
template <class T>
T* control(std::string_view name) {
    return qobject_cast<T*>(find_control(name));
}

// The text an edit box holds, a label or button shows, or the combo box's current text.
// Labels break their lines with LF on screen.
text::Text control_text(std::string_view name);
void set_control_text(std::string_view name, const text::Text& value);

bool control_visible(std::string_view name);
void set_control_visible(std::string_view name, bool visible);

// The page of 高级选择夹1 shown, 0 to 4.
int current_page();
void set_current_page(int page);

// Shows or hides the main window itself (the update hides it before its own window opens).
void set_main_window_visible(bool visible);

// Asks the main window to close; it is destroyed once the current handler has returned.
void request_main_window_close();

}  // namespace app
