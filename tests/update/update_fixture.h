#pragma once
// What the update tests share: a temporary program folder (its name has spaces in it), the
// stand-in new program padded to a chosen size, and waiting on files a detached process writes
// or removes.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace update_test {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

inline bool is_executable(const fs::path& path) {
    return ::access(path.c_str(), X_OK) == 0 && fs::is_regular_file(path);
}

// The stand-in new program (a real executable that writes "started.mark" beside itself),
// padded with zero bytes to `size` when given; the padding does not keep it from running.
inline std::string new_program(std::size_t size = 0) {
    std::string bytes = read_file(XINGHE_MARKER_PROGRAM);
    if (size > bytes.size()) bytes.resize(size, '\0');
    return bytes;
}

// Waits for `done`, for at most a few seconds; the removal script and the new program run
// detached from the test.
inline bool eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// A fresh folder named after the running test, removed afterwards.
class ProgramFolder {
  public:
    ProgramFolder() {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("xinghe update ") + std::to_string(::getpid()) + " " + test->name();
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = fs::temp_directory_path() / name;
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ProgramFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

}  // namespace update_test
