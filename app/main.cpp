// The entry routine of 星河影舱.

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "app/controls.h"
#include "app/fonts.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/update_window.h"
#include "platform/paths.h"
#include "platform/ui.h"

namespace {

// With XINGHE_EXIT_AT_FIRST_PAINT set, the program reports the time from the start of main to
// the first paint of its window and ends: the start-up benchmark runs it that way.
class FirstPaintProbe : public QObject {
  public:
    FirstPaintProbe(QWidget* window, std::chrono::steady_clock::time_point start)
        : window_(window), start_(start) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The first paint of the window or of anything in it: a browser view that covers the
        // whole window leaves the window itself nothing to paint.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && !seen_ && widget != nullptr && widget->window() == window_) {
            seen_ = true;
            const auto elapsed = std::chrono::steady_clock::now() - start_;
            std::printf("first paint after %.1f ms\n",
                        std::chrono::duration<double, std::milli>(elapsed).count());
            QTimer::singleShot(0, [] { platform::end_process(0); });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* window_;
    std::chrono::steady_clock::time_point start_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();

    // The platform layer: the toolkit (with the browser component's shared GL contexts),
    // fonts, and the run directory as the working directory.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    // The window alone decides when the program ends: a worker's message box closing while
    // the window sits in the tray must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    app::install_application_font();
    platform::enter_run_directory();

    app::install_self_update();

    // The window lives until the process ends; so does everything a worker may still use.
    auto* window = new app::MainWindow;
    app::set_main_window(window);
    QObject::connect(window, &app::MainWindow::window_destroyed, &application, &QCoreApplication::quit);
    app::handle_main_window_creation();

    if (std::getenv("XINGHE_EXIT_AT_FIRST_PAINT") != nullptr)
        application.installEventFilter(new FirstPaintProbe(window, start));
    if (!window->destroy_requested()) window->show();

    application.exec();
    // Running workers end with the process; nothing is torn down under them.
    platform::end_process(0);
}
