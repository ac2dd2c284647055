// The update window itself: its frame and controls, the close question on the close button
// and on Esc (Cancel keeps it), and what a progress report without a length leaves alone.
// OK in the close question ends the program, so the program tests see that one.

#include <memory>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTest>

#include "app/update_window.h"
#include "platform/qt_text.h"
#include "platform/ui.h"
#include "tests/update/update_fixture.h"
#include "update/progress.h"

namespace {

using namespace update_test;

class UpdateWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        update::UpdatePlan plan;
        plan.directory = folder.path().string();
        plan.exe_name = "xinghe-3.3.7";
        window = std::make_unique<app::UpdateWindow>(std::make_shared<update::UpdateRun>(plan));
        previous = platform::set_message_answerer([this](const platform::MessageRequest& request) {
            std::lock_guard lock(mutex);
            asked.push_back(request);
            return platform::MessageAnswer::cancel;
        });
    }
    void TearDown() override { platform::set_message_answerer(previous); }

    QLabel* label(const char* name) const { return window->findChild<QLabel*>(QString::fromUtf8(name)); }
    QProgressBar* bar() const { return window->findChild<QProgressBar*>(QStringLiteral("进度条1")); }

    ProgramFolder folder;
    std::unique_ptr<app::UpdateWindow> window;
    std::mutex mutex;
    std::vector<platform::MessageRequest> asked;
    platform::MessageAnswerer previous;
};

TEST_F(UpdateWindowTest, FrameAndControlsAreAsDesigned) {
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("发现新版本，正在自动更新……"));
    EXPECT_EQ(window->size(), QSize(296, 75));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    // A window of its own in the taskbar, with a close button and nothing else on its title bar.
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(window->geometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());

    ASSERT_NE(bar(), nullptr);
    EXPECT_EQ(bar()->geometry(), QRect(3, 4, 285, 20));
    EXPECT_EQ(bar()->minimum(), 0);
    EXPECT_EQ(bar()->maximum(), 10000);
    EXPECT_EQ(bar()->value(), 0);
    const struct {
        const char* name;
        QRect place;
        QString caption;
    } labels[] = {
        {"标签_已完成百分比", QRect(3, 24, 240, 16), QStringLiteral("已完成：0%")},
        {"标签_总大小", QRect(157, 24, 60, 16), QStringLiteral("0.00MB")},
        {"标签_下载速度", QRect(218, 26, 70, 13), QStringLiteral("0 KB/秒")},
    };
    for (const auto& expected : labels) {
        SCOPED_TRACE(expected.name);
        ASSERT_NE(label(expected.name), nullptr);
        EXPECT_EQ(label(expected.name)->geometry(), expected.place);
        EXPECT_EQ(label(expected.name)->text(), expected.caption);
    }
}

TEST_F(UpdateWindowTest, CloseButtonAndEscAskAndCancelKeepsTheWindowAndTheDownload) {
    write_file(folder / "gx.tmp", "half a download");
    window->show();
    for (const char* way : {"close button", "Esc"}) {
        SCOPED_TRACE(way);
        asked.clear();
        if (std::string(way) == "Esc")
            QTest::keyClick(window.get(), Qt::Key_Escape);
        else
            window->close();

        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(platform::to_qstring(asked[0].text), QStringLiteral("退出后将无法更新完成，是否退出？"));
        EXPECT_EQ(platform::to_qstring(asked[0].title), QStringLiteral("询问"));
        EXPECT_EQ(asked[0].buttons, platform::MessageButtons::ok_cancel);
        EXPECT_EQ(asked[0].icon, platform::MessageIcon::question);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(read_file(folder / "gx.tmp"), "half a download");
    }
}

TEST_F(UpdateWindowTest, AReportWithoutALengthLeavesTheBarAndThePercentage) {
    window->show();
    // As the download worker does: from another thread, through the GUI thread.
    std::thread worker([this] {
        window->view().show_progress(update::progress_display(20480, 10240, 100, 10240));
        window->view().show_progress(update::progress_display(0, 15360, 200, 15360));
    });
    const bool reported =
        QTest::qWaitFor([&] { return label("标签_总大小")->text() == QStringLiteral("0MB"); });
    worker.join();
    ASSERT_TRUE(reported);
    EXPECT_EQ(bar()->value(), 5000);
    EXPECT_EQ(label("标签_已完成百分比")->text(), QStringLiteral("已完成：50%"));
    EXPECT_EQ(label("标签_下载速度")->text(), QStringLiteral("75KB/秒"));
}

}  // namespace
