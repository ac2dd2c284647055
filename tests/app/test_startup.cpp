// Start-up: the creation handler over a present and a missing peizhi.ini, in its order.

#include <unistd.h>

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/config.h"
#include "app/controls.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tests/app/gui_support.h"
#include "text/charset.h"

namespace {

using gui_test::AnsweredBoxes;

class StartupTest : public testing::Test {
  protected:
    void SetUp() override {
        directory = std::filesystem::temp_directory_path() /
                    ("xinghe-startup-" + std::to_string(getpid()) + "-" +
                     testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        window = std::make_unique<app::MainWindow>();
        app::set_main_window(window.get());
        destroyed = std::make_unique<QSignalSpy>(window.get(), &app::MainWindow::window_destroyed);
        // Each start of the version check notes what had happened by then, and runs it here.
        app::set_worker_starter([this](std::function<void()> routine) {
            starts.push_back(
                {boxes.asked().size(), app::endpoints().magnet_base, window->destroy_requested()});
            routine();
        });
        app::set_version_check([this] { ++checks; });
    }
    void TearDown() override {
        app::set_worker_starter(nullptr);
        app::set_version_check([] {});
        app::set_main_window(nullptr);
        std::filesystem::remove_all(directory);
    }

    void write_config(const char* plain_utf8) {
        platform::write_whole_file((directory / app::config_file_name).string(),
                                   app::encrypt_config(text::utf8_to_gbk(plain_utf8)));
    }

    struct Start {
        size_t boxes_before;
        text::Text magnet_base_then;
        bool close_requested_then;
    };

    std::filesystem::path directory;
    AnsweredBoxes boxes;
    std::unique_ptr<app::MainWindow> window;
    std::unique_ptr<QSignalSpy> destroyed;
    std::vector<Start> starts;
    int checks = 0;
};

TEST_F(StartupTest, MissingConfigurationIsReportedOnceAndTheWindowCloses) {
    app::handle_main_window_creation_in(directory.string());

    ASSERT_EQ(boxes.asked().size(), 1u);
    const platform::MessageRequest box = boxes.asked()[0];
    EXPECT_EQ(gui_test::utf8(box.text), QStringLiteral("错误代码001,因缺少配置文件！"));
    EXPECT_EQ(gui_test::utf8(box.title), QStringLiteral("错误信息"));
    EXPECT_EQ(box.buttons, platform::MessageButtons::ok);
    EXPECT_EQ(box.icon, platform::MessageIcon::none);

    // The version check starts all the same, after the box, and the close waits for the
    // handler to end.
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].boxes_before, 1u);
    EXPECT_TRUE(starts[0].close_requested_then);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(destroyed->count(), 0);
    EXPECT_TRUE(window->destroy_requested());

    const app::Endpoints& endpoints = app::endpoints();
    EXPECT_TRUE(endpoints.magnet_base.empty() && endpoints.ed2k_base.empty() && endpoints.code_base.empty() &&
                endpoints.cloud_play_base.empty());

    ASSERT_TRUE(gui_test::wait_until([&] { return destroyed->count() == 1; }));
    EXPECT_FALSE(window->isVisible());  // never served the user
}

TEST_F(StartupTest, PresentConfigurationFillsTheEndpointsAfterTheCheckHasStarted) {
    // Clear whatever an earlier handler left, with no configuration at all.
    app::handle_main_window_creation_in((directory / "nowhere").string());
    window = std::make_unique<app::MainWindow>();
    app::set_main_window(window.get());
    starts.clear();
    const size_t boxes_before = boxes.asked().size();

    write_config(
        "磁力=http://m.example/?q=\r\n电驴=http://e.example/\r\n番号=http://c.example/\r\n云点播=http://"
        "p.example/?u=\r\n");
    app::handle_main_window_creation_in(directory.string());

    EXPECT_EQ(boxes.asked().size(), boxes_before);  // no message for a present file
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].magnet_base_then, "");  // started before the configuration was decrypted
    EXPECT_FALSE(starts[0].close_requested_then);
    EXPECT_FALSE(window->destroy_requested());

    const app::Endpoints& endpoints = app::endpoints();
    EXPECT_EQ(endpoints.magnet_base, "http://m.example/?q=");
    EXPECT_EQ(endpoints.ed2k_base, "http://e.example/");
    EXPECT_EQ(endpoints.code_base, "http://c.example/");
    EXPECT_EQ(endpoints.cloud_play_base, "http://p.example/?u=");
}

TEST_F(StartupTest, AnEmptyOrForeignFileRunsOnWithEmptyEndpointsAndNoMessage) {
    platform::write_whole_file((directory / app::config_file_name).string(), {'n', 'o', 'i', 's', 'e'});
    app::handle_main_window_creation_in(directory.string());
    EXPECT_TRUE(boxes.asked().empty());
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_FALSE(window->destroy_requested());
    EXPECT_TRUE(app::endpoints().magnet_base.empty());
}

TEST(RunDirectory, IsTheDirectoryOfTheExecutableAndBecomesTheWorkingDirectory) {
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(platform::run_directory(), executable.parent_path().string());
    EXPECT_EQ(platform::run_directory_file("peizhi.ini"), (executable.parent_path() / "peizhi.ini").string());

    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    EXPECT_TRUE(platform::enter_run_directory());
    EXPECT_EQ(std::filesystem::current_path(), executable.parent_path());
    std::filesystem::current_path(before);
}

}  // namespace
