#pragma once
// The desktop's own services: opening an address with the program the desktop has for it (the
// default web browser for http, a download manager for magnet: or ed2k:), and the clipboard.
// Callable from any thread; the work is done on the GUI thread.

#include <functional>

#include "text/text.h"

namespace platform {

// Hands `address` (GBK) to the desktop. The outcome is not examined: an address without a
// handler does nothing the user sees.
void open_address(const text::Text& address);

// Replaces how addresses are opened (tests record them instead). Empty restores the desktop.
// Returns the opener installed before.
using AddressOpener = std::function<void(const text::Text& address)>;
AddressOpener set_address_opener(AddressOpener opener);

// Puts `text_gbk` on the clipboard as plain text, replacing what was there.
void set_clipboard_text(const text::Text& text_gbk);
text::Text clipboard_text();

}  // namespace platform
