// The main window as a user meets it: its controls by name, the pages, the exit question,
// the tray menu and the tray.

#include <memory>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/controls.h"
#include "app/layout.h"
#include "app/main_window.h"
#include "app/tray.h"
#include "app/widgets.h"
#include "config/addresses.h"
#include "platform/shell.h"
#include "player/browser_pane.h"
#include "player/panes.h"
#include "tests/app/gui_support.h"

namespace {

using gui_test::AnsweredBoxes;
using gui_test::settle;
using gui_test::wait_until;
using platform::MessageAnswer;

class MainWindowTest : public testing::Test {
  public:
    void SetUp() override {
        platform::set_address_opener([this](const text::Text& address) { opened.push_back(address); });
        window = std::make_unique<app::MainWindow>();
        app::set_main_window(window.get());
        destroyed = std::make_unique<QSignalSpy>(window.get(), &app::MainWindow::window_destroyed);
    }
    void TearDown() override {
        app::set_main_window(nullptr);
        app::set_tray_availability(nullptr);
        platform::set_address_opener(nullptr);
    }

    template <class T = QWidget>
    T* named(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    void press(const char* label) { QTest::mousePress(named(label), Qt::LeftButton, {}, QPoint(5, 5)); }
    QAction* menu_item(QMenu* menu, const char* text) const {
        return menu->findChild<QAction*>(QString::fromUtf8(text));
    }

    std::unique_ptr<app::MainWindow> window;
    std::unique_ptr<QSignalSpy> destroyed;
    std::vector<text::Text> opened;
};

const char* class_of(app::Kind kind) {
    switch (kind) {
        case app::Kind::tab_control:
            return "QTabWidget";
        case app::Kind::picture_button:
            return "app::PictureButton";
        case app::Kind::transparent_label:
            return "app::PressLabel";
        case app::Kind::label:
            return "app::TextLabel";
        case app::Kind::edit_box:
        case app::Kind::password_box:
            return "QLineEdit";
        case app::Kind::button:
            return "QPushButton";
        case app::Kind::picture_box:
            return "QWidget";
        case app::Kind::group_box:
            return "QGroupBox";
        case app::Kind::combo_box:
            return "QComboBox";
        case app::Kind::list_view:
            return "QTreeWidget";
        case app::Kind::browser_view:
            return "player::BrowserPane";
    }
    return "";
}

TEST_F(MainWindowTest, EveryRowOfTheLayoutIsBuiltAsWritten) {
    auto* pages = named<QTabWidget>("高级选择夹1");
    ASSERT_NE(pages, nullptr);
    for (const app::ControlRow& row : app::main_window_layout()) {
        SCOPED_TRACE(row.name);
        QWidget* widget = named(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), class_of(row.kind));
        EXPECT_EQ(widget->geometry(), QRect(row.x, row.y, row.width, row.height));

        QWidget* expected_parent = window.get();
        if (row.parent.page >= 0) expected_parent = pages->widget(row.parent.page);
        if (row.parent.container != nullptr) expected_parent = named(row.parent.container);
        EXPECT_EQ(widget->parentWidget(), expected_parent);

        EXPECT_EQ(widget->isHidden(), (row.state & app::hidden) != 0);
        EXPECT_EQ(widget->isEnabled(), (row.state & app::disabled) == 0);
        if (row.state & app::hand_cursor) {
            EXPECT_EQ(widget->cursor().shape(), Qt::PointingHandCursor);
        }
        if (row.look.pixel_size > 0) {
            EXPECT_EQ(widget->font().pixelSize(), row.look.pixel_size);
            EXPECT_EQ(widget->font().bold(), row.look.bold);
        }
        if (row.look.colour >= 0) {
            EXPECT_EQ(widget->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF,
                      static_cast<QRgb>(row.look.colour));
        }
        const QString text = QString::fromUtf8(row.text).replace("\r\n", "\n");
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->text(), text);
        }
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), text);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), text);
        }
    }
}

// The names other parts of the program address, written down independently of the table,
// so a misspelt name in the layout shows here.
TEST_F(MainWindowTest, ControlsAddressedByNameExistWithTheirKindAndPage) {
    struct Expected {
        const char* name;
        const char* class_name;
        int page;  // -1: on the window itself
    };
    const Expected controls[] = {
        {"透明标签版本号", "app::PressLabel", -1},
        {"高级选择夹1", "QTabWidget", -1},
        {"编辑框2", "QLineEdit", 0},
        {"超文本浏览框2", "player::BrowserPane", 0},
        {"编辑框_种子关键字", "QLineEdit", 1},
        {"组合框1", "QComboBox", 1},
        {"种子搜索按钮", "QPushButton", 1},
        {"超级列表框1", "QTreeWidget", 1},
        {"标签5", "app::TextLabel", 1},
        {"图片框7", "QWidget", 1},
        {"种子结果标签", "app::TextLabel", 1},
        {"种子搜索加载更多按钮", "QPushButton", 1},
        {"超文本浏览框_迅雷下载", "player::BrowserPane", 1},
        {"电视直播浏览框", "player::BrowserPane", 2},
        {"高清影库浏览框", "player::BrowserPane", 3},
        {"编辑框_高清影库", "QLineEdit", 3},
        {"编辑框3", "QLineEdit", 4},
        {"编辑框1", "QLineEdit", 4},
        {"按钮_论坛登录", "QPushButton", 4},
        {"图片框2", "QWidget", 4},
        {"用户ID标签", "app::PressLabel", 4},
        {"用户权限标签", "app::PressLabel", 4},
        {"用户金钱标签", "app::PressLabel", 4},
        {"编辑框4", "QLineEdit", 4},
        {"按钮4", "QPushButton", 4},
        {"透明标签4", "app::PressLabel", 4},
        {"透明标签5", "app::PressLabel", 4},
        {"透明标签8", "app::PressLabel", 4},
    };
    auto* pages = named<QTabWidget>("高级选择夹1");
    for (const Expected& expected : controls) {
        SCOPED_TRACE(expected.name);
        QWidget* widget = named(expected.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), expected.class_name);
        QWidget* page = nullptr;
        for (QWidget* up = widget->parentWidget(); up != nullptr && page == nullptr;
             up = up->parentWidget()) {
            if (pages->indexOf(up) >= 0) page = up;
        }
        EXPECT_EQ(page == nullptr ? -1 : pages->indexOf(page), expected.page);
    }
}

TEST_F(MainWindowTest, WindowFramePagesAndInitialContents) {
    EXPECT_EQ(window->size(), QSize(960, 622));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("星河影舱"));

    auto* pages = named<QTabWidget>("高级选择夹1");
    EXPECT_EQ(pages->count(), 5);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_TRUE(pages->tabBar()->isHidden());

    EXPECT_EQ(named<QLabel>("透明标签版本号")->text(), "v3.3.6");
    EXPECT_EQ(named<QLabel>("透明标签论坛")->text(), QStringLiteral("论坛:") + addresses::forum_host);
    EXPECT_EQ(named<QLabel>("标签4")->text(),
              QStringLiteral("如果您的朋友通过下面任意一个链接访问站点，您将获得积分奖励 云币+1 \n"
                             "如果您的朋友不但访问并且注册成为会员，您将再获得积分奖励 云币+2 "));

    auto* engines = named<QComboBox>("组合框1");
    EXPECT_TRUE(engines->isEditable());
    ASSERT_EQ(engines->count(), 4);
    EXPECT_EQ(engines->itemText(0), QStringLiteral("BTDIGG搜索(推荐)"));
    EXPECT_EQ(engines->itemText(1), QStringLiteral("ed2k搜索(可用)"));
    EXPECT_EQ(engines->itemText(2), QStringLiteral("番号搜索(可用)"));
    EXPECT_EQ(engines->itemText(3), QStringLiteral("BTSP搜索(推荐)"));
    EXPECT_EQ(engines->currentIndex(), 3);

    auto* list = named<QTreeWidget>("超级列表框1");
    ASSERT_EQ(list->columnCount(), 4);
    const QStringList headers = {"ID", QStringLiteral("种子名称"), QStringLiteral("种子连接"),
                                 QStringLiteral("种子大小")};
    const int widths[] = {30, 535, 0, 70};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), headers[column]);
        EXPECT_EQ(list->isColumnHidden(column), widths[column] == 0);
        if (widths[column] > 0) {
            EXPECT_EQ(list->columnWidth(column), widths[column]);
        }
    }

    auto* password = named<QLineEdit>("编辑框1");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(password->text().isEmpty());
    password->setText("abc");
    EXPECT_EQ(password->displayText(), "***");
}

TEST_F(MainWindowTest, PopupMenusHoldTheirItemsInOrder) {
    auto texts_of = [](QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) texts << action->text();
        return texts;
    };
    ASSERT_NE(window->findChild<QMenu*>("菜单"), nullptr);
    ASSERT_NE(window->findChild<QMenu*>("菜单设置"), nullptr);
    EXPECT_EQ(texts_of(window->result_menu()),
              QStringList({"在线播放", "VIP播放", "复制链接", "迅雷下载", "欢迎捐赠"}));
    EXPECT_EQ(texts_of(window->tray_menu()), QStringList({"官方论坛", "退出软件"}));

    menu_item(window->result_menu(), "欢迎捐赠")->trigger();
    menu_item(window->tray_menu(), "官方论坛")->trigger();
    EXPECT_EQ(opened, (std::vector<text::Text>{addresses::donate_url, addresses::forum_base}));
}

TEST_F(MainWindowTest, NavigationButtonsSelectTheirPage) {
    window->show();
    auto* pages = named<QTabWidget>("高级选择夹1");
    const char* buttons[] = {"图形播放1", "图形搜索2", "图形电视3", "图形影库4", "图形vip5"};
    for (int page : {1, 4, 3, 2, 0, 0}) {
        auto* button = named<QAbstractButton>(buttons[page]);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(pages->currentIndex(), page);
        EXPECT_TRUE(button->isChecked());  // drawn highlighted while its page is shown
    }
    // A page chosen elsewhere (a result played from the list) lights its button as well.
    app::set_current_page(1);
    EXPECT_TRUE(named<QAbstractButton>("图形搜索2")->isChecked());
}

TEST_F(MainWindowTest, LiveTvLoadsAfreshOnEveryClickOfItsButton) {
    window->show();
    auto* tv = named<player::BrowserPane>("电视直播浏览框");
    EXPECT_TRUE(tv->address().isEmpty());  // starts empty
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(named<QAbstractButton>("图形电视3"), Qt::LeftButton);
        EXPECT_EQ(tv->address(), QString::fromUtf8(player::live_tv_address()));
        QTest::mouseClick(named<QPushButton>("按钮1"), Qt::LeftButton);
        EXPECT_EQ(tv->address(), QString::fromUtf8(player::blank_page_path()));
    }
}

TEST_F(MainWindowTest, ExitQuestionCancelChangesNothing) {
    window->show();
    app::set_current_page(3);
    named<QLineEdit>("编辑框_高清影库")->setText("typed");
    AnsweredBoxes boxes(MessageAnswer::cancel);
    press("透明标签关闭");
    settle();

    ASSERT_EQ(boxes.asked().size(), 1u);
    const platform::MessageRequest question = boxes.asked()[0];
    EXPECT_EQ(gui_test::utf8(question.text), QStringLiteral("     是否退出星河影舱"));
    EXPECT_EQ(gui_test::utf8(question.title), QStringLiteral("信息："));
    EXPECT_EQ(question.buttons, platform::MessageButtons::ok_cancel);
    EXPECT_EQ(question.icon, platform::MessageIcon::none);

    EXPECT_EQ(destroyed->count(), 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(app::current_page(), 3);
    EXPECT_EQ(named<QLineEdit>("编辑框_高清影库")->text(), "typed");
}

TEST_F(MainWindowTest, WaysOutDestroyTheWindowOnce) {
    struct Case {
        const char* name;
        std::function<void(MainWindowTest&)> act;
        size_t questions;
    };
    const Case cases[] = {
        {"OK in the exit question", [](MainWindowTest& t) { t.press("透明标签关闭"); }, 1},
        {"退出软件 from the tray menu",
         [](MainWindowTest& t) { t.menu_item(t.window->tray_menu(), "退出软件")->trigger(); }, 0},
        {"a close request from the desktop", [](MainWindowTest& t) { t.window->close(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        window->show();
        AnsweredBoxes boxes(MessageAnswer::ok);
        c.act(*this);
        EXPECT_EQ(destroyed->count(), 0);  // queued: the asking handler ends first
        ASSERT_TRUE(wait_until([&] { return destroyed->count() > 0; }));
        settle();
        EXPECT_EQ(destroyed->count(), 1);
        EXPECT_EQ(boxes.asked().size(), c.questions);
        EXPECT_TRUE(window->is_destroyed());
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(MainWindowTest, MinimizingHidesIntoTheTrayAndALeftClickRestores) {
    app::set_tray_availability([] { return true; });
    window->show();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        if (round == 0) {
            press("透明标签最小化");
        } else {
            window->showMinimized();  // the taskbar's way
        }
        ASSERT_TRUE(wait_until([&] { return window->isHidden(); }));
        QSystemTrayIcon* tray = window->tray_icon();
        ASSERT_NE(tray, nullptr);
        EXPECT_EQ(tray->toolTip(), QStringLiteral("星河影舱"));
        EXPECT_EQ(tray->contextMenu(), window->tray_menu());            // a right click opens 菜单设置
        EXPECT_EQ(window->findChildren<QSystemTrayIcon*>().size(), 1);  // one icon, never two

        emit tray->activated(QSystemTrayIcon::Context);
        settle();
        EXPECT_TRUE(window->isHidden());
        emit tray->activated(QSystemTrayIcon::Trigger);
        settle();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->window_state(), 0);
    }
    // "退出软件" while the window is in the tray ends without a question, and takes the icon.
    press("透明标签最小化");
    ASSERT_TRUE(wait_until([&] { return window->isHidden(); }));
    AnsweredBoxes boxes;
    menu_item(window->tray_menu(), "退出软件")->trigger();
    ASSERT_TRUE(wait_until([&] { return destroyed->count() == 1; }));
    EXPECT_TRUE(boxes.asked().empty());
    EXPECT_EQ(window->tray_icon(), nullptr);
}

TEST_F(MainWindowTest, WithoutATrayMinimizingLeavesTheWindowInTheTaskbar) {
    app::set_tray_availability([] { return false; });
    window->show();
    press("透明标签最小化");
    settle();
    EXPECT_EQ(window->window_state(), 2);
    EXPECT_FALSE(window->isHidden());  // still there to be got back
    EXPECT_EQ(window->tray_icon(), nullptr);
    window->set_window_state(0);
    EXPECT_EQ(window->window_state(), 0);
}

TEST_F(MainWindowTest, DraggingTheStripMovesTheWindowButNotThePages) {
    window->show();
    const QPoint start = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(600, 30));
    QTest::mouseMove(window.get(), QPoint(640, 50));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(640, 50));
    EXPECT_EQ(window->pos(), start + QPoint(40, 20));

    const QPoint moved = window->pos();
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(600, 300));  // on the tab control
    QTest::mouseMove(window.get(), QPoint(650, 350));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(650, 350));
    EXPECT_EQ(window->pos(), moved);
}

}  // namespace
