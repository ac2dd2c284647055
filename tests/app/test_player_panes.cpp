// The three player panes: the addresses their buttons build, closing to the blank page, and
// links the browser leaves to the desktop.

#include <memory>

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "app/controls.h"
#include "app/main_window.h"
#include "config/addresses.h"
#include "platform/shell.h"
#include "player/browser_pane.h"
#include "player/panes.h"
#include "tests/app/gui_support.h"
#include "text/charset.h"

namespace {

using gui_test::wait_until;

QString utf8(const char* text) { return QString::fromUtf8(text); }

class PlayerPaneTest : public testing::Test {
  protected:
    void SetUp() override {
        platform::set_address_opener([this](const text::Text& address) { handed_over.push_back(address); });
        window = std::make_unique<app::MainWindow>();
        app::set_main_window(window.get());
        window->show();
    }
    void TearDown() override {
        app::set_main_window(nullptr);
        platform::set_address_opener(nullptr);
    }

    player::BrowserPane* pane(const char* name) const {
        return window->findChild<player::BrowserPane*>(utf8(name));
    }
    void type(const char* edit, const QString& text) {
        window->findChild<QLineEdit*>(utf8(edit))->setText(text);
    }
    void click(const char* button) {
        QTest::mouseClick(window->findChild<QPushButton*>(utf8(button)), Qt::LeftButton);
    }

    std::unique_ptr<app::MainWindow> window;
    std::vector<text::Text> handed_over;
};

TEST(PlayerAddresses, HdLibraryEncodesEveryByteButUnreservedOnesAndKeepsUnderscores) {
    struct Case {
        const char* page_utf8;
        const char* sent;
    };
    const Case cases[] = {
        {"a_b/c d~e", "a_b%2Fc%20d%7Ee"},
        {"http://v.example/p_1.html?x=1&y=2", "http%3A%2F%2Fv.example%2Fp_1.html%3Fx%3D1%26y%3D2"},
        {"中", "%D6%D0"},  // the GBK bytes, not UTF-8
        {"%5F", "%255F"},  // an escaped underscore typed by the user stays escaped
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page_utf8);
        EXPECT_EQ(player::hd_player_address(text::utf8_to_gbk(c.page_utf8)),
                  std::string(addresses::hd_player_origin) + "/api/play.jsp?url=" + c.sent);
    }
}

TEST_F(PlayerPaneTest, CloudPlaybackSendsTheLinkBoxUnchangedAndClosesToTheBlankPage) {
    auto* cloud = pane("超文本浏览框2");
    const QString blank = QString::fromUtf8(player::blank_page_path());
    EXPECT_EQ(cloud->address(), blank);  // where it starts
    const QString base = QString(addresses::cloud_player_origin) + "//uc_client/model/api.php?url=";

    // The untouched hint goes as it is, and so does a magnet link with its ? & and :.
    const QString hint = utf8("在此输入视频链接（thunder、ftp、http、ed2k、magnet）,然后播放即可！");
    click("按钮2");
    EXPECT_EQ(cloud->address(), base + hint);

    const QString magnet = "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&dn=a b";
    type("编辑框2", magnet);
    click("按钮2");
    EXPECT_EQ(cloud->address(), base + magnet);

    click("按钮3");
    EXPECT_EQ(cloud->address(), blank);
    EXPECT_EQ(window->findChild<QLineEdit*>(utf8("编辑框2"))->text(), magnet);  // kept for playing again
    click("按钮2");
    EXPECT_EQ(cloud->address(), base + magnet);
    EXPECT_TRUE(handed_over.empty());
}

TEST_F(PlayerPaneTest, HdLibraryPlaysThroughItsPlayerAndCloses) {
    auto* hd = pane("高清影库浏览框");
    EXPECT_TRUE(hd->address().isEmpty());
    EXPECT_EQ(hd->view(), nullptr);  // no browser page until it is first used

    type("编辑框_高清影库", "a_b/c d~e");
    click("高清影库播放按钮");
    EXPECT_EQ(hd->address(), QString(addresses::hd_player_origin) + "/api/play.jsp?url=a_b%2Fc%20d%7Ee");
    EXPECT_NE(hd->view(), nullptr);

    click("高清影库关闭按钮");
    EXPECT_EQ(hd->address(), QString::fromUtf8(player::blank_page_path()));
    EXPECT_EQ(window->findChild<QLineEdit*>(utf8("编辑框_高清影库"))->text(), "a_b/c d~e");
}

TEST_F(PlayerPaneTest, DownloadLinksGoToTheDesktopUnchangedWithoutABrowserPage) {
    auto* download = pane("超文本浏览框_迅雷下载");
    const char* links[] = {"magnet:?xt=urn:btih:0123456789ABCDEF0123456789ABCDEF01234567",
                           "ed2k://|file|a.avi|123|ABC|", "thunder://QUFodHRwOi8vZXhhbXBsZS9aWg=="};
    for (const char* link : links) download->navigate(utf8(link));
    EXPECT_EQ(handed_over, (std::vector<text::Text>{links[0], links[1], links[2]}));
    EXPECT_EQ(download->view(), nullptr);
}

TEST_F(PlayerPaneTest, ALinkFollowedInsideAPageGoesToTheDesktop) {
    auto* cloud = pane("超文本浏览框2");
    ASSERT_NE(cloud->view(), nullptr);
    bool loaded = false;
    QObject::connect(cloud->view(), &QWebEngineView::loadFinished, [&](bool) { loaded = true; });
    cloud->view()->setHtml(
        "<body style='margin:0'><a href='magnet:?xt=urn:btih:ABC&dn=x' "
        "style='display:block;width:400px;height:300px'>x</a></body>",
        QUrl("http://page.example/"));
    ASSERT_TRUE(wait_until([&] { return loaded; }));
    // A script alone may not start another program; the user's click does.
    cloud->view()->page()->runJavaScript("document.querySelector('a').click();");
    QTest::qWait(300);
    EXPECT_TRUE(handed_over.empty());
    ASSERT_TRUE(wait_until([&] {
        QTest::mouseClick(cloud->view()->focusProxy(), Qt::LeftButton, {}, QPoint(100, 100));
        return wait_until([&] { return !handed_over.empty(); }, 500);
    }));
    EXPECT_EQ(handed_over[0], "magnet:?xt=urn:btih:ABC&dn=x");
}

}  // namespace
