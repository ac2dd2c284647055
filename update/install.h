#pragma once
// Putting a downloaded program in place: the files of an update, the checks that keep the
// program's folder from ever being left without a working program, the start of the new
// program and the script that removes the old one.

#include <chrono>
#include <string>

#include "text/text.h"
#include "update/view.h"

namespace update {

// Executables carry no suffix here.
inline constexpr const char* executable_suffix = "";
inline constexpr const char* temporary_file_name = "gx.tmp";
inline constexpr const char* removal_script_name = " .sh";

// Where one update happens. Paths are the platform's own (UTF-8 on Linux).
struct UpdatePlan {
    text::Text update_address;    // GBK, as the version page gave it
    std::string directory;        // the program's folder
    std::string exe_name;         // the new program's file name in that folder
    std::string running_program;  // the executable that runs now, to be removed afterwards
    std::chrono::milliseconds countdown_step{1000};
};

// The plan for the running program: its folder, `update_exe_name` (GBK) as a file name with
// the executable suffix, and its own executable.
UpdatePlan plan_update(const UpdateValues& values);

std::string temporary_file(const UpdatePlan& plan);       // the download, in the program's folder
std::string installed_file(const UpdatePlan& plan);       // where the new program goes
std::string removal_script_file(const UpdatePlan& plan);  // the script that removes the old one

// A name that stays inside the folder: not empty, no separator, not "." or "..".
bool is_plain_file_name(const std::string& name);

// True when `path` begins with the ELF header of an executable for the machine this program
// runs on (same class, byte order and machine as the running program). An error page, an
// empty or cut-off file, a library of another machine: false.
bool is_platform_executable(const std::string& path);

enum class Placed { moved, copied, failed };

// Makes `from` executable and puts it at `to`, replacing what is there: first a rename, else a
// copy written beside `to` and renamed over it, so `to` is always either the old file or the
// whole new one. A running program at `to` keeps running from its old file. `from` is gone
// afterwards unless the result is `failed`.
Placed place_file(const std::string& from, const std::string& to);

// The POSIX shell script that deletes `program` until it is gone (it tries for a minute at
// most), then deletes itself. The path is quoted, whatever it holds.
std::string removal_script_text(const std::string& program);

// Starts `path` on its own (its own session, the same output), the path as its only argument.
// False when it could not be started.
bool start_program(const std::string& path);

// Writes the removal script for `program` into `script` and starts it hidden: no terminal, no
// input or output, not waited for. False when it could not be written or started.
bool start_removal_script(const std::string& script, const std::string& program);

}  // namespace update
