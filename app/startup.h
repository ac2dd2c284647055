#pragma once
// Start-up: the creation handler of the main window, the endpoints it fills, and the version
// check it starts on a worker.

#include <functional>
#include <string>

#include "app/config.h"

namespace app {

// The four base addresses, filled by the creation handler before the window serves any input
// and only read afterwards, from any thread.
const Endpoints& endpoints();

// The routine the creation handler starts on a worker; nothing until the update check is
// installed. Call before the main window is created.
void set_version_check(std::function<void()> routine);

// The creation handler: reads peizhi.ini from the run directory (or, when it is missing,
// says so and asks the main window to close), starts the version check on a worker, then
// decrypts the configuration and fills endpoints().
void handle_main_window_creation();

// The same with the configuration read from `directory` (tests use their own).
void handle_main_window_creation_in(const std::string& directory);

// How the version check is started; tests replace it to see the moment it starts.
using WorkerStarter = std::function<void(std::function<void()>)>;
void set_worker_starter(WorkerStarter starter);

}  // namespace app
