#include "platform/threads.h"

#include <thread>

namespace platform {

void start_worker(std::function<void()> routine) {
    std::thread(std::move(routine)).detach();
}

}  // namespace platform
