#pragma once
// The account page (page 4) of the main window: its login button, the two link labels, the
// password help label and the copy button, wired to the account folder's logic.

namespace app {

class MainWindow;

// Connects the page's controls; call once, when the window's controls exist.
void connect_account_page(MainWindow* window);

}  // namespace app
