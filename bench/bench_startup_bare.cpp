// The baseline of the start-up benchmark: a bare Qt Widgets program that shows one empty
// 960x622 window holding one browser view. With XINGHE_EXIT_AT_FIRST_PAINT set it reports the
// time to the first paint of its window and ends, as the program does.

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWebEngineView>
#include <QWidget>

namespace {

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
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
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
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(960, 622);
    auto* view = new QWebEngineView(&window);
    view->setGeometry(0, 0, 960, 622);
    if (std::getenv("XINGHE_EXIT_AT_FIRST_PAINT") != nullptr)
        application.installEventFilter(new FirstPaintProbe(&window, start));
    window.show();
    return application.exec();
}
