// The download worker's steps in a temporary program folder against a loopback server:
// progress, countdown, installation, the new program started and the old one removed; and
// every way an update can fail to install, which leaves the old program as it was.

#include <algorithm>

#include <gtest/gtest.h>

#include "http/download.h"
#include "tests/support/http_server.h"
#include "tests/update/update_fixture.h"
#include "text/charset.h"
#include "update/run_update.h"

namespace {

using namespace update_test;
using update::UpdateOutcome;

// The update window as the worker sees it, in UTF-8, in order.
class RecordingWindow : public update::UpdateView {
  public:
    void show_progress(const update::ProgressDisplay& display) override {
        reports.push_back(display);
        events.push_back("progress");
    }
    void hide_size_and_speed() override { events.push_back("hide size and speed"); }
    void show_status(const text::Text& caption) override {
        events.push_back("status " + text::gbk_to_utf8(caption));
    }
    void tell(const text::Text& message) override { events.push_back("tell " + text::gbk_to_utf8(message)); }
    bool ask(const text::Text&, const text::Text&) override { return false; }

    // The events after the last progress report.
    std::vector<std::string> after_progress() const {
        auto last = std::find(events.rbegin(), events.rend(), "progress");
        return std::vector<std::string>(last.base(), events.end());
    }

    std::vector<update::ProgressDisplay> reports;
    std::vector<std::string> events;
};

const char* const not_installed = "tell 新版本无法安装，已保留当前版本。";

class RunUpdateTest : public testing::Test {
  protected:
    void SetUp() override { write_file(old_program(), "the old program"); }

    fs::path old_program() const { return folder / "xinghe"; }

    UpdateOutcome run(const std::string& exe_name, const std::string& path = "/new") {
        update::UpdatePlan plan;
        plan.update_address = server.url(path);
        plan.directory = folder.path().string();
        plan.exe_name = exe_name;
        plan.running_program = old_program().string();
        plan.countdown_step = std::chrono::milliseconds(1);
        update::UpdateRun update_run(plan);
        return update::run_update_steps(window, update_run);
    }

    // Nothing of the old program went, and no removal was started.
    void expect_old_program_kept() {
        EXPECT_EQ(read_file(old_program()), "the old program");
        EXPECT_FALSE(fs::exists(folder / update::removal_script_name));
        EXPECT_FALSE(fs::exists(folder / "started.mark"));
    }

    ProgramFolder folder;
    test_support::HttpServer server;
    RecordingWindow window;
};

TEST_F(RunUpdateTest, DownloadsCountsDownInstallsStartsTheNewProgramAndRemovesTheOldOne) {
    const std::string program = new_program(1048576);
    server.on("/new", test_support::page(program, "application/octet-stream"));
    // An earlier, longer download is replaced, not appended to.
    write_file(folder / "gx.tmp", std::string(2 * 1048576, 'x'));

    EXPECT_EQ(run("xinghe-3.3.7"), UpdateOutcome::started);

    ASSERT_FALSE(window.reports.empty());
    const update::ProgressDisplay& last = window.reports.back();
    EXPECT_EQ(last.bar_position, 10000);
    EXPECT_EQ(text::gbk_to_utf8(last.percentage.value_or("")), "已完成：100%");
    EXPECT_EQ(text::gbk_to_utf8(last.total_size), "1MB");
    EXPECT_EQ(window.after_progress(), (std::vector<std::string>{
                                           "hide size and speed",
                                           "status 更新完毕，等待3秒自动运行新版本……",
                                           "status 更新完毕，等待2秒自动运行新版本……",
                                           "status 更新完毕，等待1秒自动运行新版本……",
                                       }));

    const fs::path installed = folder / "xinghe-3.3.7";
    EXPECT_EQ(read_file(installed), program);
    EXPECT_TRUE(is_executable(installed));
    EXPECT_FALSE(fs::exists(folder / "gx.tmp"));
    // The new program ran from its full path, and the old one and the script are gone.
    ASSERT_TRUE(eventually([&] { return fs::exists(folder / "started.mark"); }));
    EXPECT_EQ(read_file(folder / "started.mark"), installed.string() + "\n");
    EXPECT_TRUE(eventually([&] { return !fs::exists(old_program()); }));
    EXPECT_TRUE(eventually([&] { return !fs::exists(folder / update::removal_script_name); }));
}

TEST_F(RunUpdateTest, WithoutALengthTheBarAndPercentageStayAndTheSizeReadsZero) {
    server.on("/new", test_support::trickle(new_program(), 65536, std::chrono::milliseconds(0), false));

    EXPECT_EQ(run("xinghe-3.3.7"), UpdateOutcome::started);
    ASSERT_FALSE(window.reports.empty());
    for (const auto& report : window.reports) {
        EXPECT_FALSE(report.bar_position.has_value());
        EXPECT_FALSE(report.percentage.has_value());
        EXPECT_EQ(text::gbk_to_utf8(report.total_size), "0MB");
    }
    EXPECT_EQ(read_file(folder / "xinghe-3.3.7"), new_program());
}

TEST_F(RunUpdateTest, AnUpdateUnderTheRunningProgramsNameReplacesItInPlace) {
    server.on("/new", test_support::page(new_program(), "application/octet-stream"));

    EXPECT_EQ(run("xinghe"), UpdateOutcome::started);
    ASSERT_TRUE(eventually([&] { return fs::exists(folder / "started.mark"); }));
    // The one copy is the new program, and nothing is about to delete it.
    EXPECT_EQ(read_file(old_program()), new_program());
    EXPECT_TRUE(is_executable(old_program()));
    EXPECT_FALSE(fs::exists(folder / update::removal_script_name));
}

TEST_F(RunUpdateTest, AnUpdateThatCannotBeInstalledKeepsTheOldProgramAndSaysSo) {
    std::vector<std::string> download_messages;
    const auto previous = http::set_download_failure_handler(
        [&](const text::Text& message) { download_messages.push_back(text::gbk_to_utf8(message)); });

    const struct {
        const char* name;
        test_support::Handler download;
        std::string exe_name;
        UpdateOutcome outcome;
        std::vector<std::string> told;
        bool downloaded;
    } cases[] = {
        {"an error page with status 200",
         test_support::page("<html>页面不存在</html>"),
         "xinghe-3.3.7",
         UpdateOutcome::not_executable,
         {not_installed},
         true},
        {"a download cut short",
         test_support::cut_body(new_program().substr(0, 10), 4096),
         "xinghe-3.3.7",
         UpdateOutcome::download_failed,
         {},
         true},
        {"a name leaving the folder",
         test_support::page(new_program()),
         "../xinghe-3.3.7",
         UpdateOutcome::bad_name,
         {not_installed},
         false},
        {"an empty name",
         test_support::page(new_program()),
         "",
         UpdateOutcome::bad_name,
         {not_installed},
         false},
        {"a folder in the way",
         test_support::page(new_program()),
         "blocked",
         UpdateOutcome::not_placed,
         {not_installed},
         true},
    };
    fs::create_directory(folder / "blocked");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.on("/new", c.download);
        server.clear_requests();
        window.events.clear();

        EXPECT_EQ(run(c.exe_name), c.outcome);
        std::vector<std::string> told;
        for (const auto& event : window.events)
            if (event.rfind("tell ", 0) == 0) told.push_back(event);
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(server.request_count(), c.downloaded ? 1u : 0u);
        expect_old_program_kept();
        EXPECT_FALSE(fs::exists(folder / "xinghe-3.3.7"));
        EXPECT_FALSE(fs::exists(folder.path().parent_path() / "xinghe-3.3.7"));
        EXPECT_TRUE(fs::is_empty(folder / "blocked"));
    }
    EXPECT_EQ(download_messages, std::vector<std::string>{"读文件出错!"});
    http::set_download_failure_handler(previous);
}

}  // namespace
