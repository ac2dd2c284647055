#include "app/account_page.h"

#include <QApplication>
#include <QCursor>
#include <QPushButton>

#include "account/forum.h"
#include "app/controls.h"
#include "app/main_window.h"
#include "app/widgets.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace app {

namespace {

// The account page's controls as the account logic sees them.
class AccountPageView : public account::AccountView {
  public:
    ~AccountPageView() override { end_wait(); }

    // The login holds the GUI thread until the forum has answered: the wait cursor says so.
    void begin_wait() {
        if (waiting_) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waiting_ = true;
    }
    void end_wait() {
        if (!waiting_) return;
        QApplication::restoreOverrideCursor();
        waiting_ = false;
    }

    text::Text control_text(std::string_view name) override { return app::control_text(name); }
    void set_control_text(std::string_view name, const text::Text& value) override {
        app::set_control_text(name, value);
    }
    void show_control(std::string_view name) override { set_control_visible(name, true); }
    void show_message(const text::Text& message) override {
        // Messages come once the network is done; the user answers them with the usual arrow.
        end_wait();
        platform::message_box(message);
    }
    void open_in_browser(const text::Text& address) override { platform::open_address(address); }
    void put_on_clipboard(const text::Text& value) override { platform::set_clipboard_text(value); }

  private:
    bool waiting_ = false;
};

void on_press(MainWindow* window, const char* label, void (*action)(account::AccountView&)) {
    auto* press_label = window->findChild<PressLabel*>(QString::fromUtf8(label));
    QObject::connect(press_label, &PressLabel::pressed, window, [action] {
        AccountPageView view;
        action(view);
    });
}

}  // namespace

void connect_account_page(MainWindow* window) {
    auto* login = window->findChild<QPushButton*>(QStringLiteral("按钮_论坛登录"));
    QObject::connect(login, &QPushButton::clicked, window, [] {
        AccountPageView view;
        view.begin_wait();
        account::forum_login(view);
    });
    auto* copy = window->findChild<QPushButton*>(QStringLiteral("按钮4"));
    QObject::connect(copy, &QPushButton::clicked, window, [] {
        AccountPageView view;
        account::copy_promotion_link(view);
    });
    on_press(window, "透明标签4", account::open_registration);
    on_press(window, "透明标签5", account::show_password_help);
    on_press(window, "透明标签8", account::open_points_page);
}

}  // namespace app
