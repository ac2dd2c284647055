#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string run_directory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error).string();
    return executable.parent_path().string();
}

std::string run_directory_file(const std::string& name) {
    const std::string directory = run_directory();
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + '/' + name;
}

bool enter_run_directory() {
    std::error_code error;
    std::filesystem::current_path(run_directory(), error);
    return !error;
}

}  // namespace platform
