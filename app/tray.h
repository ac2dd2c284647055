#pragma once
// Whether the desktop offers a notification area. Many Linux desktops have none; the window
// then minimizes to the taskbar instead of hiding into a tray nobody can click.

#include <functional>

namespace app {

bool tray_available();

// Replaces the desktop's answer (tests try both ways). Empty asks the desktop again.
void set_tray_availability(std::function<bool()> available);

}  // namespace app
