#include "app/startup.h"

#include <vector>

#include "app/controls.h"
#include "app/texts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/threads.h"
#include "platform/ui.h"

namespace app {

namespace {

// Never destroyed: workers read them while the process ends.
Endpoints& endpoint_record() {
    static auto* record = new Endpoints;
    return *record;
}
std::function<void()>& version_check() {
    static auto* routine = new std::function<void()>([] {});
    return *routine;
}
WorkerStarter& worker_starter() {
    static auto* starter = new WorkerStarter(platform::start_worker);
    return *starter;
}

}  // namespace

const Endpoints& endpoints() { return endpoint_record(); }

void set_version_check(std::function<void()> routine) { version_check() = std::move(routine); }

void set_worker_starter(WorkerStarter starter) {
    worker_starter() = starter ? std::move(starter) : WorkerStarter(platform::start_worker);
}

void handle_main_window_creation() { handle_main_window_creation_in(platform::run_directory()); }

void handle_main_window_creation_in(const std::string& directory) {
    const std::string path = directory + '/' + config_file_name;
    std::vector<unsigned char> raw;
    if (platform::file_exists(path)) {
        platform::read_whole_file(path, raw);
    } else {
        platform::message_box(texts::missing_config(), texts::error_title());
        request_main_window_close();  // queued: the rest of the handler still runs
    }
    // The version check does not need the configuration, so it starts before decryption,
    // and also when the file is missing.
    worker_starter()(version_check());
    endpoint_record() = read_endpoints(raw);
}

}  // namespace app
