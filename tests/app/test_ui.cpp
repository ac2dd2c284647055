// The GUI thread's services to workers: the blocking call, and message boxes that block only
// the worker that asks.

#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include "app/main_window.h"
#include "platform/threads.h"
#include "platform/ui.h"
#include "tests/app/gui_support.h"
#include "text/charset.h"

namespace {

using gui_test::wait_until;
using platform::MessageAnswer;

QMessageBox* shown_box() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

TEST(RunOnGui, RunsTheWorkOnTheGuiThreadWhileTheWorkerWaits) {
    std::atomic<bool> done{false};
    QThread* ran_on = nullptr;
    bool finished_before_return = false;
    platform::start_worker([&] {
        bool finished = false;
        platform::run_on_gui([&] {
            ran_on = QThread::currentThread();
            finished = true;
        });
        finished_before_return = finished;
        done = true;
    });
    ASSERT_TRUE(wait_until([&] { return done.load(); }));
    EXPECT_EQ(ran_on, QApplication::instance()->thread());
    EXPECT_TRUE(finished_before_return);

    // On the GUI thread itself it is a plain call.
    bool direct = false;
    platform::run_on_gui([&] { direct = true; });
    EXPECT_TRUE(direct);
}

TEST(MessageBox, AnInstalledAnswererAnswersOnTheAskingThread) {
    gui_test::AnsweredBoxes boxes(MessageAnswer::cancel);
    std::atomic<bool> done{false};
    MessageAnswer answer = MessageAnswer::ok;
    platform::start_worker([&] {
        answer = platform::message_box(text::utf8_to_gbk("问题"), text::utf8_to_gbk("标题"),
                                       platform::MessageButtons::ok_cancel, platform::MessageIcon::question);
        done = true;
    });
    ASSERT_TRUE(wait_until([&] { return done.load(); }));
    EXPECT_EQ(answer, MessageAnswer::cancel);
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(gui_test::utf8(boxes.asked()[0].text), QStringLiteral("问题"));
    EXPECT_EQ(gui_test::utf8(boxes.asked()[0].title), QStringLiteral("标题"));
    EXPECT_EQ(boxes.asked()[0].icon, platform::MessageIcon::question);

    platform::message_box(text::utf8_to_gbk("通知"));
    EXPECT_EQ(gui_test::utf8(boxes.asked()[1].title), QStringLiteral("信息："));  // the default title
    EXPECT_EQ(boxes.asked()[1].buttons, platform::MessageButtons::ok);
}

// A real box from a worker: the window stays usable behind it, and the answer reaches only
// the worker that asked.
TEST(MessageBox, AWorkersBoxLeavesTheWindowUsable) {
    struct Case {
        QMessageBox::StandardButton pressed;
        MessageAnswer expected;
    };
    for (const Case c :
         {Case{QMessageBox::Ok, MessageAnswer::ok}, Case{QMessageBox::Cancel, MessageAnswer::cancel}}) {
        app::MainWindow window;
        window.show();
        std::atomic<bool> done{false};
        std::atomic<MessageAnswer> answer{MessageAnswer::ok};
        platform::start_worker([&] {
            answer =
                platform::message_box(text::utf8_to_gbk("发现新版本：v9，是否更新？"),
                                      text::utf8_to_gbk("发现新版本"), platform::MessageButtons::ok_cancel);
            done = true;
        });
        ASSERT_TRUE(wait_until([] { return shown_box() != nullptr; }));
        QMessageBox* box = shown_box();
        EXPECT_EQ(box->windowTitle(), QStringLiteral("发现新版本"));
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // nothing blocks the main window
        window.set_window_state(0);
        EXPECT_FALSE(done.load());

        box->button(c.pressed)->click();
        ASSERT_TRUE(wait_until([&] { return done.load(); }));
        EXPECT_EQ(answer.load(), c.expected);
        window.hide();
    }
}

TEST(MessageBox, TheGuiThreadsOwnBoxIsModalAndReadsItsButtons) {
    struct Case {
        platform::MessageButtons buttons;
        QMessageBox::StandardButton pressed;
        MessageAnswer expected;
        QString ok_text;
    };
    const Case cases[] = {
        {platform::MessageButtons::ok_cancel, QMessageBox::Cancel, MessageAnswer::cancel,
         QStringLiteral("确定")},
        {platform::MessageButtons::ok_cancel, QMessageBox::Ok, MessageAnswer::ok, QStringLiteral("确定")},
        {platform::MessageButtons::ok, QMessageBox::Ok, MessageAnswer::ok, QStringLiteral("确定")},
    };
    for (const Case& c : cases) {
        bool modal = false;
        QString ok_text;
        QTimer::singleShot(0, [&] {
            QMessageBox* box = shown_box();
            if (box == nullptr) return;  // the comparison below then fails on the timeout of ctest
            modal = QApplication::activeModalWidget() == box;
            ok_text = box->button(QMessageBox::Ok)->text();
            box->button(c.pressed)->click();
        });
        EXPECT_EQ(platform::message_box(text::utf8_to_gbk("     是否退出星河影舱"),
                                        platform::default_message_title(), c.buttons),
                  c.expected);
        EXPECT_TRUE(modal);
        EXPECT_EQ(ok_text, c.ok_text);
    }
}

}  // namespace
