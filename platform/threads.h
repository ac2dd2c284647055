#pragma once
// Workers: every step of a search, the version check and the download run on a thread of
// their own. The starter neither waits for a worker nor keeps a handle to it; when the
// program ends, running workers end with the process.

#include <functional>

namespace platform {

void start_worker(std::function<void()> routine);

}  // namespace platform
