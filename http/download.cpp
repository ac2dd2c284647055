#include "http/download.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

#include "platform/inet.h"

namespace http {
namespace {

namespace inet = platform::inet;
using text::Text;

constexpr std::size_t read_size = 10240;

std::int64_t uptime_ms() {
    // steady_clock counts from boot on Linux.
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int32_t low_32_bits(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void end_program(const Text&) {
    std::fflush(nullptr);
    std::_Exit(0);
}

std::mutex handler_mutex;
DownloadFailureHandler& installed_handler() {
    static auto* handler = new DownloadFailureHandler(end_program);
    return *handler;
}

int fail(const Text& message) {
    DownloadFailureHandler handler;
    {
        std::lock_guard lock(handler_mutex);
        handler = installed_handler();
    }
    handler(message);
    return download_failed;
}

// The output file; closed when the download ends, however it ends.
class OutputFile {
  public:
    OutputFile(const Text& path, bool resume) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (resume ? 0 : O_TRUNC), 0644);
        if (fd_ >= 0 && resume && ::lseek(fd_, 0, SEEK_END) < 0) close();
    }
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool is_open() const { return fd_ >= 0; }
    bool write(const unsigned char* bytes, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, bytes, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

}  // namespace

DownloadFailureHandler set_download_failure_handler(DownloadFailureHandler handler) {
    std::lock_guard lock(handler_mutex);
    DownloadFailureHandler previous = std::move(installed_handler());
    installed_handler() = handler ? std::move(handler) : DownloadFailureHandler(end_program);
    return previous;
}

int http_download(const Text& url, const Text& file_path, const DownloadProgress& progress,
                  std::int32_t resume_offset, bool resume_given) {
    // With or without a configured proxy the session goes as the system is set up.
    const auto internet = inet::open_internet("Agent" + text::to_text(uptime_ms()), inet::ProxyMode::system);
    if (!internet) return fail(message_internet_error());

    Text headers = download_header_text;
    if (resume_given) headers += "\r\nRange:bytes=" + text::to_text(resume_offset) + "-";

    // The address is opened before the local file, so a wrong address leaves the file alone.
    inet::Request response = inet::open_url(
        *internet, url, headers, inet::flag_reload | inet::flag_no_cache_write | inet::flag_pragma_no_cache);
    // An error page is not the download: writing it would hand it on as the file.
    if (!response || inet::query_status(response) >= 400) return fail(message_cannot_open_url());

    OutputFile file(file_path, resume_given);
    if (!file.is_open()) return fail(message_cannot_open_file());

    const auto length = inet::query_content_length(response);
    const std::int32_t total_length = length && *length <= 0xFFFFFFFFll ? low_32_bits(*length) : 0;

    const std::int64_t start = uptime_ms();
    const std::int64_t offset = resume_given ? resume_offset : 0;
    std::int64_t bytes_done = offset;
    unsigned char area[read_size];
    for (;;) {
        const auto piece = inet::read_piece(response, area);
        if (!piece.ok) {
            file.close();
            return fail(message_read_error());
        }
        if (piece.count == 0) {
            file.close();
            return download_complete;
        }
        // A piece that does not reach the disk would leave a truncated file that looks complete.
        if (!file.write(area, piece.count)) {
            file.close();
            return fail(message_read_error());
        }
        bytes_done += static_cast<std::int64_t>(piece.count);
        std::int64_t elapsed = uptime_ms() - start;
        if (elapsed == 0) elapsed = 10;
        if (progress)
            progress(total_length, low_32_bits(bytes_done), low_32_bits(elapsed),
                     low_32_bits(bytes_done - offset));
    }
}

}  // namespace http
