#pragma once
// The few file services the program needs: an existence test and whole-file reads and
// writes. Paths are the platform's own (UTF-8 on Linux); nothing here converts text.

#include <string>
#include <vector>

namespace platform {

// True when `path` names an existing regular file (a directory does not count).
bool file_exists(const std::string& path);

// Reads the whole file into `contents` (emptied first). False when it cannot be opened or read,
// and `contents` is then empty.
bool read_whole_file(const std::string& path, std::vector<unsigned char>& contents);

// Creates or truncates `path` and writes `contents`. False when any step fails.
bool write_whole_file(const std::string& path, const std::vector<unsigned char>& contents);

}  // namespace platform
