#include "platform/files.h"

#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace platform {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool file_exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool read_whole_file(const std::string& path, std::vector<unsigned char>& contents) {
    contents.clear();
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    unsigned char chunk[64 * 1024];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0)
        contents.insert(contents.end(), chunk, chunk + got);
    if (std::ferror(f.get())) {
        contents.clear();
        return false;
    }
    return true;
}

bool write_whole_file(const std::string& path, const std::vector<unsigned char>& contents) {
    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (!raw) return false;
    const bool written = std::fwrite(contents.data(), 1, contents.size(), raw) == contents.size();
    const bool closed = std::fclose(raw) == 0;
    return written && closed;
}

}  // namespace platform
