// The program as the update tests run it: the real main window, version check, update window
// and installation, started like the program itself, with its message boxes answered from the
// environment and what the update window shows written to a log.
//
//   XINGHE_TEST_LOG      the log file; one line per event, fields separated by tabs (UTF-8):
//                          box      TITLE  TEXT  ANSWER
//                          window   update window shown  main window visible: 0|1
//                          state    BAR  PERCENTAGE  SIZE  SPEED   (a hidden label reads "-")
//                          running  main window visible: 0|1
//   XINGHE_TEST_ANSWERS  answers to the OK/Cancel questions in turn ("ok,cancel"); when they
//                        run out, Cancel. Notices are answered with OK.
//   XINGHE_TEST_CLOSE    "esc" or "button": once the download has shown progress, ask the
//                        update window to close with the Esc key or as its close button does.
//   XINGHE_TEST_RUN_MS   when the program is still running after this long, it logs "running"
//                        and ends with exit code 3.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include "app/controls.h"
#include "app/fonts.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/update_window.h"
#include "tests/app/gui_support.h"
#include "platform/paths.h"
#include "platform/qt_text.h"
#include "platform/ui.h"

namespace {

std::mutex log_mutex;

void log_line(const std::vector<std::string>& fields) {
    const char* path = std::getenv("XINGHE_TEST_LOG");
    if (path == nullptr) return;
    std::lock_guard lock(log_mutex);
    if (std::FILE* log = std::fopen(path, "a")) {
        std::string line;
        for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

std::string utf8(const text::Text& gbk) { return platform::to_qstring(gbk).toStdString(); }

bool main_window_visible() { return app::main_window() != nullptr && app::main_window()->isVisible(); }

void answer_from_environment() {
    static std::vector<std::string> answers;
    if (const char* given = std::getenv("XINGHE_TEST_ANSWERS")) {
        std::stringstream list(given);
        for (std::string answer; std::getline(list, answer, ',');) answers.push_back(answer);
    }
    platform::set_message_answerer([](const platform::MessageRequest& request) {
        platform::MessageAnswer answer = platform::MessageAnswer::ok;
        if (request.buttons == platform::MessageButtons::ok_cancel) {
            std::lock_guard lock(log_mutex);
            answer = !answers.empty() && answers.front() == "ok" ? platform::MessageAnswer::ok
                                                                 : platform::MessageAnswer::cancel;
            if (!answers.empty()) answers.erase(answers.begin());
        }
        log_line({"box", utf8(request.title), utf8(request.text),
                  answer == platform::MessageAnswer::ok ? "ok" : "cancel"});
        return answer;
    });
}

// Looks at the update window after every event the GUI thread handles: each write of the
// download worker is one such event, so every state it leaves is seen.
class WatchingApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        const bool handled = QApplication::notify(receiver, event);
        if (QThread::currentThread() == thread()) look();
        return handled;
    }

  private:
    void look() {
        app::UpdateWindow* window = nullptr;
        for (QWidget* widget : topLevelWidgets())
            if (auto* found = qobject_cast<app::UpdateWindow*>(widget); found && found->isVisible())
                window = found;
        if (window == nullptr) return;
        if (!seen_window_) {
            seen_window_ = true;
            log_line({"window", main_window_visible() ? "1" : "0"});
        }
        const auto label = [window](const char* name) {
            const QLabel* shown = window->findChild<QLabel*>(QString::fromUtf8(name));
            return shown == nullptr || shown->isHidden() ? std::string("-") : shown->text().toStdString();
        };
        const auto* bar = window->findChild<QProgressBar*>(QStringLiteral("进度条1"));
        const std::vector<std::string> state{"state", std::to_string(bar ? bar->value() : -1),
                                             label("标签_已完成百分比"), label("标签_总大小"),
                                             label("标签_下载速度")};
        if (state == last_state_) return;
        last_state_ = state;
        log_line(state);

        const char* close = std::getenv("XINGHE_TEST_CLOSE");
        if (close != nullptr && !close_sent_ && bar != nullptr && bar->value() > 0) {
            close_sent_ = true;
            const bool by_key = std::string(close) == "esc";
            QTimer::singleShot(0, window, [window, by_key] {
                if (by_key) {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QApplication::sendEvent(window, &press);
                } else {
                    window->close();
                }
            });
        }
    }

    bool seen_window_ = false;
    bool close_sent_ = false;
    std::vector<std::string> last_state_;
};

}  // namespace

int main(int argc, char** argv) {
    gui_test::prepare_headless_environment();
    WatchingApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    app::install_application_font();
    platform::enter_run_directory();
    answer_from_environment();

    app::install_self_update();
    auto* window = new app::MainWindow;
    app::set_main_window(window);
    QObject::connect(window, &app::MainWindow::window_destroyed, &application, &QCoreApplication::quit);
    app::handle_main_window_creation();
    if (!window->destroy_requested()) window->show();

    if (const char* run_ms = std::getenv("XINGHE_TEST_RUN_MS")) {
        QTimer::singleShot(std::atoi(run_ms), [] {
            log_line({"running", main_window_visible() ? "1" : "0"});
            platform::end_process(3);
        });
    }
    application.exec();
    platform::end_process(0);
}
