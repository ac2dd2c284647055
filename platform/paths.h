#pragma once
// Where the program lives. Its files (peizhi.ini, 1.html) sit beside the executable and are
// addressed from the directory of the executable, whatever the working directory was.

#include <string>

namespace platform {

// The directory holding the running executable, without a trailing separator ("/" for the
// root). Paths are the platform's own bytes (UTF-8 on Linux).
std::string run_directory();

// `run_directory()`, the platform's separator and `name`.
std::string run_directory_file(const std::string& name);

// Makes the run directory the process's working directory. False when that fails.
bool enter_run_directory();

}  // namespace platform
