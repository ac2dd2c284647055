#include "app/main_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QWindow>

#include "app/account_page.h"
#include "app/control_factory.h"
#include "app/layout.h"
#include "app/search_page.h"
#include "app/texts.h"
#include "app/tray.h"
#include "app/widgets.h"
#include "config/addresses.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "player/panes.h"

namespace app {

namespace {

const char* const navigation_buttons[] = {"图形播放1", "图形搜索2", "图形电视3", "图形影库4", "图形vip5"};
constexpr int live_tv_page = 2;

QAction* add_item(QMenu* menu, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromUtf8(text));
    return action;
}

}  // namespace

MainWindow::MainWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("主窗口"));
    setWindowTitle(QStringLiteral("星河影舱"));
    setWindowIcon(program_icon());
    setFixedSize(window_width, window_height);
    background_ = render_picture(QStringLiteral(":/pictures/strip.svg"), QSize(960, 75), devicePixelRatioF());

    build_controls();
    build_menus();
    connect_strip();
    player::connect_player_panes(this);
    connect_account_page(this);
    connect_search_page(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred = rect();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
}

QWidget* MainWindow::control(const QString& name) const { return findChild<QWidget*>(name); }

void MainWindow::build_controls() {
    for (const ControlRow& row : main_window_layout()) {
        QWidget* parent = this;
        if (row.parent.page >= 0) {
            parent = pages_->widget(row.parent.page);
        } else if (row.parent.container != nullptr) {
            parent = control(QString::fromUtf8(row.parent.container));
        }
        QWidget* widget = create_control(row, parent);
        if (row.kind == Kind::tab_control) pages_ = static_cast<QTabWidget*>(widget);
    }
}

void MainWindow::build_menus() {
    // Both menus are used only as popups; the window shows no menu bar.
    result_menu_ = new QMenu(QStringLiteral("菜单"), this);
    result_menu_->setObjectName(QStringLiteral("菜单"));
    for (const char* item : {"在线播放", "VIP播放", "复制链接", "迅雷下载"}) add_item(result_menu_, item);
    connect(add_item(result_menu_, "欢迎捐赠"), &QAction::triggered, this,
            [] { platform::open_address(addresses::donate_url); });

    tray_menu_ = new QMenu(QStringLiteral("菜单设置"), this);
    tray_menu_->setObjectName(QStringLiteral("菜单设置"));
    connect(add_item(tray_menu_, "官方论坛"), &QAction::triggered, this,
            [] { platform::open_address(addresses::forum_base); });
    connect(add_item(tray_menu_, "退出软件"), &QAction::triggered, this, &MainWindow::request_destroy);
}

void MainWindow::connect_strip() {
    navigation_ = new QButtonGroup(this);
    navigation_->setExclusive(true);
    for (int page = 0; page < 5; ++page) {
        auto* button = findChild<QAbstractButton*>(QString::fromUtf8(navigation_buttons[page]));
        navigation_->addButton(button, page);
        connect(button, &QAbstractButton::clicked, this, [this, page] {
            pages_->setCurrentIndex(page);
            if (page == live_tv_page) player::load_live_tv(this);  // loads afresh on every click
        });
    }
    navigation_->button(pages_->currentIndex())->setChecked(true);
    // Pages chosen by other means (a result played from the list) light their button too.
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        if (QAbstractButton* button = navigation_->button(page)) button->setChecked(true);
    });

    connect(findChild<PressLabel*>(QStringLiteral("透明标签最小化")), &PressLabel::pressed, this,
            [this] { set_window_state(2); });
    connect(findChild<PressLabel*>(QStringLiteral("透明标签关闭")), &PressLabel::pressed, this,
            &MainWindow::ask_exit);
}

int MainWindow::window_state() const {
    if (isMinimized()) return 2;
    if (isMaximized()) return 3;
    return 0;
}

void MainWindow::set_window_state(int state) {
    if (!isVisible()) return;
    if (state == 2) showMinimized();
    if (state == 0) showNormal();
}

void MainWindow::ask_exit() {
    const platform::MessageAnswer answer = platform::message_box(
        texts::exit_question(), platform::default_message_title(), platform::MessageButtons::ok_cancel);
    if (answer == platform::MessageAnswer::ok) request_destroy();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || destroyed_) return;
    // Every way of minimizing ends in the tray: the "-" label, the taskbar, minimize-all.
    // Without a notification area the window stays minimized in the taskbar, where it can be
    // got back.
    if (tray_available()) QMetaObject::invokeMethod(this, &MainWindow::send_to_tray, Qt::QueuedConnection);
}

void MainWindow::send_to_tray() {
    if (!isMinimized() || destroyed_) return;
    hide();
    if (tray_icon_ == nullptr) {
        tray_icon_ = new QSystemTrayIcon(this);
        tray_icon_->setObjectName(QStringLiteral("托盘图标"));
        tray_icon_->setContextMenu(tray_menu_);
        connect(tray_icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    // A double click restores through the single click that comes first.
                    if (reason == QSystemTrayIcon::Trigger) restore_from_tray();
                });
    }
    tray_icon_->setIcon(windowIcon());
    tray_icon_->setToolTip(QStringLiteral("星河影舱"));
    tray_icon_->show();
}

void MainWindow::restore_from_tray() {
    if (destroyed_) return;
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::request_destroy() {
    destroy_requested_ = true;
    QMetaObject::invokeMethod(this, &MainWindow::destroy_now, Qt::QueuedConnection);
}

void MainWindow::destroy_now() {
    if (destroyed_) return;
    destroyed_ = true;
    if (tray_icon_ != nullptr) {
        tray_icon_->hide();
        delete tray_icon_;
        tray_icon_ = nullptr;
    }
    hide();
    emit window_destroyed();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close from the desktop (Alt+F4, the taskbar's menu) destroys the window like "退出软件".
    event->ignore();
    request_destroy();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawTiledPixmap(rect(), background_);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // The window's own surface acts as its title bar.
    if (event->button() != Qt::LeftButton || pages_->geometry().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
    dragging_ = true;  // no window manager to ask: move it ourselves
    drag_offset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - drag_offset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

}  // namespace app
