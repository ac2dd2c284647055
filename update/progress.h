#pragma once
// What the update window shows after each piece of the download.

#include <cstdint>

#include "update/view.h"

namespace update {

// The four values of one progress report, in double precision:
//   speed      round_decimal((bytes_this_run * 1000 / 1024) / elapsed_ms, 2) + "KB/秒"
//   bar        bytes_done * 10000 / total_length, truncated toward zero
//   percentage "已完成：" + round_decimal(bytes_done / total_length * 100) + "%"
//   size       round_decimal(total_length / 1048576, 2) + "MB"
// Numbers are written by to_text, so trailing zeros go: 1.50 MB reads "1.5MB". A download that
// announces no length (0) leaves the bar and the percentage as they are and shows "0MB".
ProgressDisplay progress_display(std::int32_t total_length, std::int32_t bytes_done, std::int32_t elapsed_ms,
                                 std::int32_t bytes_this_run);

// The downloader's progress routine for the update window.
void show_download_progress(UpdateView& view, std::int32_t total_length, std::int32_t bytes_done,
                            std::int32_t elapsed_ms, std::int32_t bytes_this_run);

}  // namespace update
