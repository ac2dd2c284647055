#include "app/update_window.h"

#include <future>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

#include "app/controls.h"
#include "app/startup.h"
#include "http/download.h"
#include "platform/qt_text.h"
#include "platform/threads.h"
#include "platform/ui.h"
#include "update/texts.h"
#include "update/version_check.h"

namespace app {

namespace {

constexpr const char* bar_name = "进度条1";
constexpr const char* percentage_name = "标签_已完成百分比";
constexpr const char* size_name = "标签_总大小";
constexpr const char* speed_name = "标签_下载速度";

QString name_of(const char* utf8) { return QString::fromUtf8(utf8); }

QLabel* add_label(QWidget* window, const char* name, int x, int y, int width, int height,
                  const text::Text& caption) {
    auto* label = new QLabel(platform::to_qstring(caption), window);
    label->setObjectName(name_of(name));
    label->setGeometry(x, y, width, height);
    return label;
}

// The update window's controls, written from the download worker through the GUI thread.
class UpdateWindowView : public update::UpdateView {
  public:
    explicit UpdateWindowView(QWidget* window) : window_(window) {}

    void show_progress(const update::ProgressDisplay& display) override {
        const QString speed = platform::to_qstring(display.speed);
        const QString size = platform::to_qstring(display.total_size);
        const QString percentage = display.percentage ? platform::to_qstring(*display.percentage) : QString();
        platform::run_on_gui([&] {
            if (!window_) return;
            label(speed_name)->setText(speed);
            if (display.bar_position) bar()->setValue(*display.bar_position);
            if (display.percentage) label(percentage_name)->setText(percentage);
            label(size_name)->setText(size);
        });
    }

    void hide_size_and_speed() override {
        platform::run_on_gui([&] {
            if (!window_) return;
            label(speed_name)->hide();
            label(size_name)->hide();
        });
    }

    void show_status(const text::Text& caption) override {
        const QString value = platform::to_qstring(caption);
        platform::run_on_gui([&] {
            if (window_) label(percentage_name)->setText(value);
        });
    }

    void tell(const text::Text& message) override { platform::message_box(message); }

    bool ask(const text::Text& question, const text::Text& title) override {
        return platform::message_box(question, title, platform::MessageButtons::ok_cancel,
                                     platform::MessageIcon::question) == platform::MessageAnswer::ok;
    }

  private:
    QLabel* label(const char* name) const { return window_->findChild<QLabel*>(name_of(name)); }
    QProgressBar* bar() const { return window_->findChild<QProgressBar*>(name_of(bar_name)); }

    QPointer<QWidget> window_;
};

// The main window as the version check sees it.
class MainWindowCheckView : public update::CheckView {
  public:
    text::Text current_version() override { return control_text("透明标签版本号"); }

    bool ask(const text::Text& question, const text::Text& title) override {
        return platform::message_box(question, title, platform::MessageButtons::ok_cancel,
                                     platform::MessageIcon::none) == platform::MessageAnswer::ok;
    }

    void hide_main_window() override { set_main_window_visible(false); }

    void open_update_window(const update::UpdateValues& values) override {
        auto run = std::make_shared<update::UpdateRun>(update::plan_update(values));
        auto gone = std::make_shared<std::promise<void>>();
        std::future<void> window_gone = gone->get_future();
        platform::run_on_gui([&] {
            auto* window = new UpdateWindow(run);
            QObject::connect(window, &QObject::destroyed, [gone] { gone->set_value(); });
            window->show();
            window->handle_update_window_creation();
        });
        // As a modal window would, this worker stays here while the window is open.
        window_gone.wait();
    }
};

}  // namespace

UpdateWindow::UpdateWindow(std::shared_ptr<update::UpdateRun> run)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      run_(std::move(run)),
      view_(std::make_shared<UpdateWindowView>(this)) {
    namespace texts = update::texts;
    setWindowTitle(platform::to_qstring(texts::window_caption()));
    setFixedSize(update_window_width, update_window_height);
    // Modal without an owner: the program's other windows take no input while it is open.
    setWindowModality(Qt::ApplicationModal);

    auto* bar = new QProgressBar(this);
    bar->setObjectName(name_of(bar_name));
    bar->setGeometry(3, 4, 285, 20);
    bar->setRange(0, 10000);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: rgb(0, 255, 0); }"));

    add_label(this, percentage_name, 3, 24, 240, 16, texts::initial_percentage());
    add_label(this, size_name, 157, 24, 60, 16, texts::initial_size());
    add_label(this, speed_name, 218, 26, 70, 13, texts::initial_speed());

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place(QPoint(), size());
        place.moveCenter(screen->availableGeometry().center());
        setGeometry(place);
    }
}

void UpdateWindow::handle_update_window_creation() {
    platform::start_worker([run = run_, view = view_] { update::run_update(*view, *run); });
}

void UpdateWindow::closeEvent(QCloseEvent* event) {
    // OK ends the program inside; after Cancel the window stays and the download goes on.
    event->ignore();
    update::handle_update_window_close(*view_, *run_);
}

void UpdateWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void install_self_update() {
    set_version_check([] {
        MainWindowCheckView view;
        update::check_for_update(view);
    });
    http::set_download_failure_handler([](const text::Text& message) {
        platform::message_box(message);
        platform::end_process(0);
    });
}

}  // namespace app
