#include "app/controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "app/main_window.h"
#include "platform/qt_text.h"
#include "platform/ui.h"

namespace app {

namespace {
MainWindow* registered_window = nullptr;
}

MainWindow* main_window() { return registered_window; }
void set_main_window(MainWindow* window) { registered_window = window; }

QWidget* find_control(std::string_view name) {
    if (registered_window == nullptr) return nullptr;
    return registered_window->control(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

text::Text control_text(std::string_view name) {
    QString value;
    platform::run_on_gui([&] {
        QWidget* widget = find_control(name);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            value = edit->text();
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            value = label->text();
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            value = combo->currentText();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            value = button->text();
        }
    });
    return platform::from_qstring(value);
}

void set_control_text(std::string_view name, const text::Text& value) {
    const QString text = platform::to_qstring(value);
    platform::run_on_gui([&] {
        QWidget* widget = find_control(name);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->setEditText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(text);
        }
    });
}

bool control_visible(std::string_view name) {
    bool visible = false;
    platform::run_on_gui([&] {
        if (QWidget* widget = find_control(name)) visible = !widget->isHidden();
    });
    return visible;
}

void set_control_visible(std::string_view name, bool visible) {
    platform::run_on_gui([&] {
        if (QWidget* widget = find_control(name)) widget->setVisible(visible);
    });
}

int current_page() {
    int page = -1;
    platform::run_on_gui([&] {
        if (registered_window != nullptr) page = registered_window->pages()->currentIndex();
    });
    return page;
}

void set_current_page(int page) {
    platform::run_on_gui([&] {
        if (registered_window != nullptr) registered_window->pages()->setCurrentIndex(page);
    });
}

void set_main_window_visible(bool visible) {
    platform::run_on_gui([&] {
        if (registered_window != nullptr && !registered_window->is_destroyed())
            registered_window->setVisible(visible);
    });
}

void request_main_window_close() {
    platform::run_on_gui([] {
        if (registered_window != nullptr) registered_window->request_destroy();
    });
}

}  // namespace app
