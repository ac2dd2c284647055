#include "update/progress.h"

#include <algorithm>

#include "update/texts.h"

namespace update {

ProgressDisplay progress_display(std::int32_t total_length, std::int32_t bytes_done, std::int32_t elapsed_ms,
                                 std::int32_t bytes_this_run) {
    const double total = total_length;
    const double done = bytes_done;
    ProgressDisplay display;

    // The downloader never reports 0 ms; a zero here would only come from a caller of ours.
    const double elapsed = elapsed_ms != 0 ? elapsed_ms : 10;
    const double speed =
        text::round_decimal((static_cast<double>(bytes_this_run) * 1000 / 1024) / elapsed, 2);
    display.speed = text::to_text(speed) + texts::speed_end();

    if (total_length != 0) {
        // Kept inside the bar's range, so a length the server got wrong cannot overflow the cast.
        display.bar_position = static_cast<int>(std::clamp(done * 10000 / total, 0.0, 10000.0));
        const double percentage = text::round_decimal(done / total * 100);
        display.percentage = texts::percentage_start() + text::to_text(percentage) + texts::percentage_end();
    }

    const double size = text::round_decimal(total / 1048576, 2);
    display.total_size = text::to_text(size) + texts::size_end();
    return display;
}

void show_download_progress(UpdateView& view, std::int32_t total_length, std::int32_t bytes_done,
                            std::int32_t elapsed_ms, std::int32_t bytes_this_run) {
    view.show_progress(progress_display(total_length, bytes_done, elapsed_ms, bytes_this_run));
}

}  // namespace update
