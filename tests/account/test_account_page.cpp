// The account page of the main window, driven by object name against a loopback forum.

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "account/forum.h"
#include "app/controls.h"
#include "app/main_window.h"
#include "config/addresses.h"
#include "platform/shell.h"
#include "tests/account/forum_fixture.h"
#include "tests/app/gui_support.h"

namespace {

using account_test::gbk;
using gui_test::AnsweredBoxes;
using gui_test::utf8;

class AccountPage : public testing::Test {
  public:
    void SetUp() override {
        platform::set_address_opener([this](const text::Text& address) { opened.push_back(address); });
        window = std::make_unique<app::MainWindow>();
        app::set_main_window(window.get());
        window->show();
        app::set_current_page(4);
    }
    void TearDown() override {
        app::set_main_window(nullptr);
        platform::set_address_opener(nullptr);
    }

    template <class T = QWidget>
    T* named(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    QString shown_text(const char* label) const { return named<QLabel>(label)->text(); }

    std::unique_ptr<app::MainWindow> window;
    std::vector<text::Text> opened;
};

TEST_F(AccountPage, LoginButtonWaitsWithTheWaitCursorThenShowsThePanel) {
    account_test::Forum forum;
    std::atomic<int> cursor_during_login{-1};
    // The login blocks the GUI thread, so the forum itself looks at the cursor meanwhile.
    forum.server().on("/member.php", [&](const test_support::ReceivedRequest&) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursor_during_login = cursor != nullptr ? cursor->shape() : -2;
        test_support::Reply reply;
        reply.header("Set-Cookie", "xh_auth=" + forum.session() + "; path=/");
        reply.body = "window.location.href";
        return reply;
    });
    // Each message, and whether the wait cursor had been lifted when it was shown.
    std::vector<std::pair<QString, bool>> messages;
    const auto previous = platform::set_message_answerer([&](const platform::MessageRequest& request) {
        messages.emplace_back(utf8(request.text), QGuiApplication::overrideCursor() == nullptr);
        return platform::MessageAnswer::ok;
    });

    EXPECT_FALSE(named("图片框2")->isVisible());
    named<QLineEdit>("编辑框3")->setText(QStringLiteral(" demo "));
    named<QLineEdit>("编辑框1")->setText(QStringLiteral("xinghe"));
    QTest::mouseClick(named<QPushButton>("按钮_论坛登录"), Qt::LeftButton);

    EXPECT_EQ(cursor_during_login.load(), Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(messages, (std::vector<std::pair<QString, bool>>{{QStringLiteral("登陆成功"), true}}));
    EXPECT_TRUE(named("图片框2")->isVisible());
    EXPECT_EQ(shown_text("用户ID标签"), QStringLiteral(" demo "));
    EXPECT_EQ(shown_text("用户权限标签"), QStringLiteral("注册会员"));
    EXPECT_EQ(shown_text("用户金钱标签"), QStringLiteral("128"));
    EXPECT_EQ(named<QLineEdit>("编辑框4")->text(), QStringLiteral("http://bbs.xinghe.example/?fromuid=42"));
    platform::set_message_answerer(previous);
}

TEST_F(AccountPage, FailedLoginSaysSoAndKeepsThePanelHidden) {
    account_test::Forum forum;
    forum.set_login_reply("登录失败");
    AnsweredBoxes boxes;
    QTest::mouseClick(named<QPushButton>("按钮_论坛登录"), Qt::LeftButton);
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(utf8(boxes.asked()[0].text), QStringLiteral("登录失败"));
    EXPECT_EQ(utf8(boxes.asked()[0].title), QStringLiteral("信息："));
    EXPECT_FALSE(named("图片框2")->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(AccountPage, LabelsActWhenTheLeftButtonGoesDown) {
    struct Case {
        const char* label;
        std::vector<text::Text> opened;
        std::vector<QString> messages;
    };
    const std::string forum = addresses::forum_base;
    const std::vector<Case> cases = {
        {"透明标签4", {forum + "/member.php?mod=register"}, {}},
        {"透明标签8", {forum + "/forum.php?mod=viewthread&tid=3&extra="}, {}},
        {"透明标签5", {}, {QStringLiteral("联系QQ客服：") + QString::fromUtf8(addresses::support_qq)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        opened.clear();
        AnsweredBoxes boxes;
        auto* label = named(c.label);
        // The right button does nothing; the left one acts on the way down, before any release.
        QTest::mousePress(label, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(label, Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_TRUE(opened.empty());
        EXPECT_TRUE(boxes.asked().empty());
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(opened, c.opened);
        std::vector<QString> messages;
        for (const auto& request : boxes.asked()) messages.push_back(utf8(request.text));
        EXPECT_EQ(messages, c.messages);
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
    }
}

TEST_F(AccountPage, CopyLinkPutsTheLinkBoxOnTheClipboard) {
    platform::set_clipboard_text("something before");
    // Before any login the box is empty, and so is the clipboard afterwards.
    QTest::mouseClick(named<QPushButton>("按钮4"), Qt::LeftButton);
    EXPECT_EQ(platform::clipboard_text(), "");

    named<QLineEdit>("编辑框4")->setText(QStringLiteral("http://bbs.xinghe.example/?fromuid=42&来源=推广"));
    QTest::mouseClick(named<QPushButton>("按钮4"), Qt::LeftButton);
    EXPECT_EQ(platform::clipboard_text(), gbk("http://bbs.xinghe.example/?fromuid=42&来源=推广"));
}

}  // namespace
