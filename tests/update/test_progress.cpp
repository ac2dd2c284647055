// The update window's progress texts: speed, bar, percentage and total size from one report.

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "text/charset.h"
#include "update/progress.h"

namespace {

struct Case {
    const char* name;
    std::int32_t total_length, bytes_done, elapsed_ms, bytes_this_run;
    const char* speed;
    std::optional<int> bar;
    std::optional<std::string> percentage;
    const char* size;
};

TEST(ProgressDisplay, FollowsTheArithmeticOfEachReport) {
    const Case cases[] = {
        {"whole mebibyte", 1048576, 1048576, 1000, 1048576, "1024KB/秒", 10000, "已完成：100%", "1MB"},
        {"speed with two decimals", 1572864, 786432, 1000, 100000, "97.66KB/秒", 5000, "已完成：50%",
         "1.5MB"},
        {"trailing zeros dropped", 2097152, 10240, 10, 10240, "1000KB/秒", 48, "已完成：0%", "2MB"},
        {"bar truncated, percentage rounded", 3, 2, 1000, 2, "0KB/秒", 6666, "已完成：67%", "0MB"},
        {"half a percent rounds up", 1000, 125, 1000, 125, "0.12KB/秒", 1250, "已完成：13%", "0MB"},
        {"small size to two decimals", 30720, 10240, 100, 10240, "100KB/秒", 3333, "已完成：33%", "0.03MB"},
        // The mean since the first read: a resumed download counts only this call's bytes.
        {"resumed download", 20480, 15360, 500, 5120, "10KB/秒", 7500, "已完成：75%", "0.02MB"},
        {"no length announced", 0, 5000, 100, 5000, "48.83KB/秒", std::nullopt, std::nullopt, "0MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const update::ProgressDisplay shown =
            update::progress_display(c.total_length, c.bytes_done, c.elapsed_ms, c.bytes_this_run);
        EXPECT_EQ(text::gbk_to_utf8(shown.speed), c.speed);
        EXPECT_EQ(shown.bar_position, c.bar);
        if (c.percentage) {
            ASSERT_TRUE(shown.percentage.has_value());
            EXPECT_EQ(text::gbk_to_utf8(*shown.percentage), *c.percentage);
        } else {
            EXPECT_FALSE(shown.percentage.has_value());
        }
        EXPECT_EQ(text::gbk_to_utf8(shown.total_size), c.size);
    }
}

}  // namespace
