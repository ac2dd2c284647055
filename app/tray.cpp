#include "app/tray.h"

#include <QSystemTrayIcon>

namespace app {

namespace {
std::function<bool()>& availability() {
    static auto* available = new std::function<bool()>;
    return *available;
}
}  // namespace

bool tray_available() {
    if (availability()) return availability()();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void set_tray_availability(std::function<bool()> available) { availability() = std::move(available); }

}  // namespace app
