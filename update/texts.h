#pragma once
// The self-update's fixed texts, as GBK.

#include "text/gbk_literal.h"

namespace update::texts {

// The version page: each value follows its marker and ends at the next "</p>".
GBK_CONSTANT(marker_version, "1：")
GBK_CONSTANT(marker_address, "2：")
GBK_CONSTANT(marker_name, "3：")
GBK_CONSTANT(marker_end, "</p>")

GBK_CONSTANT(question_start, "发现新版本：")
GBK_CONSTANT(question_end, "，是否更新？")
GBK_CONSTANT(question_title, "发现新版本")

GBK_CONSTANT(window_caption, "发现新版本，正在自动更新……")
GBK_CONSTANT(initial_percentage, "已完成：0%")
GBK_CONSTANT(initial_size, "0.00MB")
GBK_CONSTANT(initial_speed, "0 KB/秒")

GBK_CONSTANT(percentage_start, "已完成：")
GBK_CONSTANT(percentage_end, "%")
GBK_CONSTANT(size_end, "MB")
GBK_CONSTANT(speed_end, "KB/秒")

GBK_CONSTANT(countdown_3, "更新完毕，等待3秒自动运行新版本……")
GBK_CONSTANT(countdown_2, "更新完毕，等待2秒自动运行新版本……")
GBK_CONSTANT(countdown_1, "更新完毕，等待1秒自动运行新版本……")

GBK_CONSTANT(close_question, "退出后将无法更新完成，是否退出？")
GBK_CONSTANT(close_title, "询问")

// Shown when the new version could not be put in place or started; the current one stays.
GBK_CONSTANT(not_installed, "新版本无法安装，已保留当前版本。")

}  // namespace update::texts
