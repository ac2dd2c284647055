#pragma once
// The main window: borderless 960x622, the strip of picture buttons and labels on top, the
// tab control of five pages below, the tray icon and the two popup menus "菜单" and "菜单设置".
//
// Every control carries its design name as its object name: find it with
// findChild<QLineEdit*>("编辑框2") or control("编辑框2"). Work on the window happens on the GUI
// thread; a worker reaches it through platform::run_on_gui (see app/controls.h).
//
// The window is never deleted. "Destroying" it (the exit question, "退出软件", a close request)
// hides it for good, removes the tray icon and emits window_destroyed(), which ends the program;
// a worker that still holds a control therefore never holds a dangling pointer.

#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QMenu;
class QSystemTrayIcon;
class QTabWidget;
class QButtonGroup;

namespace app {

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow();

    // A control by its design name, or nullptr.
    QWidget* control(const QString& name) const;
    QTabWidget* pages() const { return pages_; }
    QMenu* result_menu() const { return result_menu_; }  // "菜单"
    QMenu* tray_menu() const { return tray_menu_; }      // "菜单设置"
    // The tray icon, which exists from the first minimization into the tray on.
    QSystemTrayIcon* tray_icon() const { return tray_icon_; }

    // The window state as a small number: 0 normal, 2 minimized, 3 maximized. Writing 2
    // minimizes, writing 0 shows the window normally; both only while it is visible.
    int window_state() const;
    void set_window_state(int state);

    // Queues the destruction; the handler that asks runs to its end first.
    void request_destroy();
    bool destroy_requested() const { return destroy_requested_; }
    bool is_destroyed() const { return destroyed_; }

    // Brings the window back from the tray, as a left click on the tray icon does.
    void restore_from_tray();

  signals:
    void window_destroyed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_controls();
    void build_menus();
    void connect_strip();
    void ask_exit();
    void send_to_tray();
    void destroy_now();

    QPixmap background_;
    QTabWidget* pages_ = nullptr;
    QButtonGroup* navigation_ = nullptr;
    QMenu* result_menu_ = nullptr;
    QMenu* tray_menu_ = nullptr;
    QSystemTrayIcon* tray_icon_ = nullptr;
    bool destroy_requested_ = false;
    bool destroyed_ = false;
    bool dragging_ = false;
    QPoint drag_offset_;
};

}  // namespace app
