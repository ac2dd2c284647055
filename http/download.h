#pragma once
// The resumable downloader: copies the body of one address into a file piece by piece,
// reporting progress after each piece, optionally continuing at a byte offset.
//
// It has no error results. Each failure hands one of the messages below to the download
// failure handler, whose job is to tell the user and end the program with exit code 0; the
// window installs one that shows a message box first. Only when a handler returns (tests
// install such handlers) does http_download return, with `download_failed`.

#include <cstdint>
#include <functional>

#include "text/gbk_literal.h"
#include "text/text.h"

namespace http {

GBK_CONSTANT(message_internet_error, "Internet连接错误!")
GBK_CONSTANT(message_cannot_open_url, "不能打开该URL!")
GBK_CONSTANT(message_cannot_open_file, "不能打开本地的文件!")
GBK_CONSTANT(message_read_error, "读文件出错!")

// Called after every piece, on the downloading thread: the declared length (0 when unknown),
// the bytes in the file counting from the resume offset, the milliseconds since reading began
// (never 0) and the bytes fetched by this call. Each is the low 32 bits of its value.
using DownloadProgress = std::function<void(std::int32_t total_length, std::int32_t bytes_done,
                                            std::int32_t elapsed_ms, std::int32_t bytes_this_run)>;

// Receives a GBK message. The default ends the program with exit code 0 and shows nothing.
using DownloadFailureHandler = std::function<void(const text::Text& message)>;
// Installs `handler` (an empty one restores the default) and returns the one it replaces.
DownloadFailureHandler set_download_failure_handler(DownloadFailureHandler handler);

inline constexpr int download_complete = 0;
inline constexpr int download_failed = -1;  // only after a failure handler that returned

// The agent's fixed request headers; a resumed download adds "\r\nRange:bytes=OFFSET-".
inline constexpr const char* download_header_text =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\nUser-Agent: "
    "Mozilla/4.0(compatible; "
    "MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

// `file_path` is a path of the platform's own (UTF-8 on Linux). A fresh download replaces the
// file; a resumed one (`resume_given`) appends to it, creating it when missing, whatever its
// size. The bytes are written exactly as they arrive, compressed or not. A response with an
// HTTP status of 400 or more is not written: it counts as an address that cannot be opened.
int http_download(const text::Text& url, const text::Text& file_path, const DownloadProgress& progress,
                  std::int32_t resume_offset = 0, bool resume_given = false);

}  // namespace http
