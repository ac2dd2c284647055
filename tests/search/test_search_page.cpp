// The search page as a user meets it: the buttons, Enter, the engine combo, the loading notice,
// the list and its menu, driven by object name against a loopback server.

#include <unistd.h>

#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/config.h"
#include "app/controls.h"
#include "app/main_window.h"
#include "app/search_page.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "player/browser_pane.h"
#include "tests/app/gui_support.h"
#include "tests/search/search_site.h"
#include "text/charset.h"

namespace {

using gui_test::AnsweredBoxes;
using gui_test::wait_until;
using search_test::SearchSite;

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

class SearchPageTest : public testing::Test {
  protected:
    // One window serves every test and is never destroyed, as in the program: a worker may
    // still be returning from its last step when a test ends.
    static app::MainWindow* shared_window() {
        static app::MainWindow* window = [] {
            auto* made = new app::MainWindow;
            made->show();
            return made;
        }();
        return window;
    }

    void SetUp() override {
        window = shared_window();
        app::set_main_window(window);
        directory =
            std::filesystem::temp_directory_path() / ("xinghe-search-page-" + std::to_string(getpid()));
        std::filesystem::create_directories(directory);
        platform::write_whole_file((directory / app::config_file_name).string(), site.stored_config());
        app::handle_main_window_creation_in(directory.string());
        platform::set_address_opener([this](const text::Text& address) { opened.push_back(address); });

        list()->clear();
        combo()->setCurrentIndex(3);
        window->pages()->setCurrentIndex(1);
    }
    void TearDown() override {
        EXPECT_TRUE(wait_until([this] { return !app::search_running(window); }));
        window->result_menu()->hide();
        platform::set_address_opener(nullptr);
        std::filesystem::remove_all(directory);
    }

    template <class T = QWidget>
    T* named(const char* name) const {
        return window->findChild<T*>(q(name));
    }
    QTreeWidget* list() const { return named<QTreeWidget>("超级列表框1"); }
    QComboBox* combo() const { return named<QComboBox>("组合框1"); }
    QLineEdit* keyword_box() const { return named<QLineEdit>("编辑框_种子关键字"); }
    bool notice_shown() const { return !named("标签5")->isHidden() && !named("图片框7")->isHidden(); }
    bool notice_hidden() const { return named("标签5")->isHidden() && named("图片框7")->isHidden(); }

    void press(const char* button) { named<QPushButton>(button)->click(); }
    // Presses `button` and waits until the operation it started has ended.
    void run(const char* button) {
        press(button);
        ASSERT_TRUE(wait_until([this] { return !app::search_running(window); }));
    }
    QStringList row(int index) const {
        QStringList cells;
        const QTreeWidgetItem* item = list()->topLevelItem(index);
        for (int column = 0; item != nullptr && column < 4; ++column) cells << item->text(column);
        return cells;
    }
    void add_row(const char* stored_link) {
        list()->addTopLevelItem(
            new QTreeWidgetItem(QStringList{"1", q("【双击播放】x"), q(stored_link), "1B"}));
    }
    void select_row(int index) { list()->setCurrentItem(list()->topLevelItem(index)); }
    void trigger(const char* item) { window->result_menu()->findChild<QAction*>(q(item))->trigger(); }
    QString player_address() const { return named<player::BrowserPane>("超文本浏览框2")->address(); }
    QString cloud_base() const { return QString::fromStdString(site.endpoints().cloud_play_base); }

    app::MainWindow* window = nullptr;
    SearchSite site;
    AnsweredBoxes boxes;
    std::filesystem::path directory;
    std::vector<text::Text> opened;
};

const std::string china = search_test::china_encoded;

TEST_F(SearchPageTest, TheSearchButtonListsResultsAndLoadMoreAppendsNumberedRows) {
    site.serve("/search/" + china + "/currentPage/1", "btsp_first.html");
    site.serve("/search/" + china + "/currentPage/2", "btsp_more.html");
    keyword_box()->setText(q("中国"));

    run("种子搜索按钮");
    ASSERT_EQ(list()->topLevelItemCount(), 2);
    EXPECT_EQ(row(0), (QStringList{"1", q("【双击播放】中国合伙人.mkv"), QString(40, '7'), "1.4 GB"}));
    EXPECT_TRUE(list()->isColumnHidden(2));
    EXPECT_EQ(named<QLabel>("种子结果标签")->text(),
              q("搜索完毕,鼠标右键选择播放或者下载,点击\"加载更多\"可以显示更多"));
    EXPECT_TRUE(notice_hidden());

    run("种子搜索加载更多按钮");
    ASSERT_EQ(list()->topLevelItemCount(), 3);
    EXPECT_EQ(row(2), (QStringList{"3", q("【双击播放】中国合伙人.花絮.mp4"), QString(40, '9'), "88 MB"}));
    EXPECT_TRUE(boxes.asked().empty());
}

TEST_F(SearchPageTest, WhileAPageLoadsTheNoticeShowsAndFurtherPressesAreIgnored) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    site.server.on("/code/search/x/", [released](const test_support::ReceivedRequest&) {
        released.wait_for(std::chrono::seconds(10));
        return test_support::Reply{};
    });
    keyword_box()->setText("x");
    combo()->setCurrentIndex(2);
    press("种子搜索按钮");
    ASSERT_TRUE(wait_until([this] { return site.server.request_count() == 1; }));
    EXPECT_TRUE(notice_shown());
    press("种子搜索按钮");
    press("种子搜索加载更多按钮");
    QTest::keyClick(keyword_box(), Qt::Key_Return);
    release.set_value();
    ASSERT_TRUE(wait_until([this] { return !app::search_running(window); }));
    EXPECT_TRUE(notice_hidden());
    EXPECT_EQ(site.server.request_count(), 1u);
}

TEST_F(SearchPageTest, EnterInTheKeywordBoxSearches) {
    site.serve("/code/search/ABP-123/", "code_first.html");
    combo()->setCurrentIndex(2);
    keyword_box()->setText("ABP-123");
    QTest::keyClick(keyword_box(), Qt::Key_Return);
    ASSERT_TRUE(
        wait_until([this] { return list()->topLevelItemCount() == 2 && !app::search_running(window); }));
    EXPECT_EQ(row(0)[1], q("【双击播放】ABP-123 中文字幕"));
}

TEST_F(SearchPageTest, ATypedEngineNameMatchingNoItemStartsNoEngineAndBlocksNothing) {
    add_row("old");
    combo()->setEditText("BTSP");
    keyword_box()->setText("x");
    run("种子搜索按钮");
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_TRUE(notice_shown());  // nothing ran that would hide it
    run("种子搜索加载更多按钮");
    EXPECT_EQ(site.server.request_count(), 0u);
    EXPECT_EQ(combo()->count(), 4);

    // The item's own text selects it again; the next search runs and hides the notice.
    site.serve("/code/search/x/", "code_first.html");
    combo()->setEditText(q("番号搜索(可用)"));
    run("种子搜索按钮");
    EXPECT_EQ(list()->topLevelItemCount(), 2);
    EXPECT_TRUE(notice_hidden());
}

TEST_F(SearchPageTest, AFailedFetchIsToldAndHidesTheNotice) {
    site.answer_status("/ed2k/search/x?page=1&mode=thumb", 502);
    add_row("old");
    combo()->setCurrentIndex(1);
    keyword_box()->setText("x");
    run("种子搜索按钮");
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(text::gbk_to_utf8(boxes.asked()[0].text), "连接搜索引擎失败，请检查网络后重试");
    EXPECT_EQ(text::gbk_to_utf8(boxes.asked()[0].title), "信息：");
    EXPECT_TRUE(notice_hidden());
    EXPECT_EQ(list()->topLevelItemCount(), 0);
}

TEST_F(SearchPageTest, ARightClickOpensTheMenuOnlyOverASelectedRow) {
    add_row("h");
    QWidget* viewport = list()->viewport();
    auto right_click = [viewport] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                viewport->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(viewport, &event);
    };
    list()->clearSelection();
    right_click();
    EXPECT_FALSE(window->result_menu()->isVisible());
    select_row(0);
    right_click();
    EXPECT_TRUE(wait_until([this] { return window->result_menu()->isVisible(); }));
}

TEST_F(SearchPageTest, EachActionUsesTheLinkOfTheEngineSelectedAtThatMoment) {
    struct Case {
        int engine;  // -1: a typed text names no engine
        const char* stored;
        const char* complete;  // nullptr: no link, the actions stop
    };
    const std::string hash(40, 'a');
    const std::vector<Case> cases = {
        {0, "magnet:?xt=urn:btih:1111", "magnet:?xt=urn:btih:1111"},
        {1, "a.avi|123|ABC|", "ed2k://|file|a.avi|123|ABC|"},
        {2, "magnet:?xt=urn:btih:2222", "magnet:?xt=urn:btih:2222"},
        {3, hash.c_str(), nullptr},  // filled in below
        // A btsp row after the user switched to btdigg: the bare hash.
        {0, hash.c_str(), hash.c_str()},
        {-1, "a.avi|1|B|", nullptr},
    };
    const std::string magnet = "magnet:?xt=urn:btih:" + hash;
    for (Case c : cases) {
        if (c.engine == 3) c.complete = magnet.c_str();
        SCOPED_TRACE(std::string(c.stored) + " with engine " + std::to_string(c.engine));
        list()->clear();
        add_row(c.stored);
        select_row(0);
        if (c.engine >= 0) {
            combo()->setCurrentIndex(c.engine);
        } else {
            combo()->setEditText("none");
        }
        QGuiApplication::clipboard()->setText("before");
        opened.clear();
        named<QLineEdit>("编辑框2")->setText("before");
        window->pages()->setCurrentIndex(1);
        const QString address_before = player_address();

        trigger("复制链接");
        trigger("迅雷下载");
        trigger("在线播放");
        EXPECT_EQ(window->pages()->currentIndex(), 0);
        if (c.complete == nullptr) {
            EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
            EXPECT_TRUE(opened.empty());
            EXPECT_EQ(named<QLineEdit>("编辑框2")->text(), "before");
            EXPECT_EQ(player_address(), address_before);
            continue;
        }
        EXPECT_EQ(QGuiApplication::clipboard()->text(), q(c.complete));
        EXPECT_EQ(opened, std::vector<text::Text>{c.complete});
        EXPECT_EQ(named<QLineEdit>("编辑框2")->text(), q(c.complete));
        EXPECT_EQ(player_address(), cloud_base() + q(c.complete));
    }
    EXPECT_TRUE(boxes.asked().empty());
}

TEST_F(SearchPageTest, ADoubleClickPlaysAlsoWithNoRowSelected) {
    add_row("b.avi|2|C|");
    combo()->setCurrentIndex(1);
    select_row(0);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                       list()->visualItemRect(list()->topLevelItem(0)).center());
    EXPECT_EQ(window->pages()->currentIndex(), 0);
    EXPECT_EQ(player_address(), cloud_base() + "ed2k://|file|b.avi|2|C|");

    // Below the last row: nothing is selected, and the link is the engine's head alone.
    window->pages()->setCurrentIndex(1);
    combo()->setCurrentIndex(3);
    list()->clearSelection();
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, QPoint(20, list()->viewport()->height() - 5));
    EXPECT_EQ(window->pages()->currentIndex(), 0);
    EXPECT_EQ(named<QLineEdit>("编辑框2")->text(), "magnet:?xt=urn:btih:");
    EXPECT_EQ(player_address(), cloud_base() + "magnet:?xt=urn:btih:");
}

TEST_F(SearchPageTest, VipPlayOnlyShowsItsMessage) {
    add_row("h");
    select_row(0);
    trigger("VIP播放");
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(text::gbk_to_utf8(boxes.asked()[0].text), "您暂时不是VIP用户，请去官方论坛购买");
    EXPECT_EQ(window->pages()->currentIndex(), 1);
    EXPECT_TRUE(opened.empty());
}

}  // namespace
