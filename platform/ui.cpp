#include "platform/ui.h"

#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/qt_text.h"

namespace platform {

namespace {

// Never destroyed: a worker may ask for a box while the process ends.
std::mutex& answerer_mutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
MessageAnswerer& installed_answerer() {
    static auto* answerer = new MessageAnswerer;
    return *answerer;
}

QMessageBox* make_box(const MessageRequest& request) {
    auto* box = new QMessageBox;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(to_qstring(request.title));
    box->setTextFormat(Qt::PlainText);
    box->setText(to_qstring(request.text));
    switch (request.icon) {
        case MessageIcon::none:
            box->setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::information:
            box->setIcon(QMessageBox::Information);
            break;
        case MessageIcon::question:
            box->setIcon(QMessageBox::Question);
            break;
        case MessageIcon::warning:
            box->setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::error:
            box->setIcon(QMessageBox::Critical);
            break;
    }
    if (request.buttons == MessageButtons::ok_cancel) {
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Ok);
        box->button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    return box;
}

MessageAnswer answer_of(int result, MessageButtons buttons) {
    if (buttons == MessageButtons::ok) return MessageAnswer::ok;
    return result == QMessageBox::Ok ? MessageAnswer::ok : MessageAnswer::cancel;
}

}  // namespace

bool on_gui_thread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void run_on_gui(const std::function<void()>& work) {
    if (on_gui_thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&work] { work(); }, Qt::BlockingQueuedConnection);
}

void post_to_gui(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

MessageAnswerer set_message_answerer(MessageAnswerer answerer) {
    std::lock_guard lock(answerer_mutex());
    std::swap(installed_answerer(), answerer);
    return answerer;
}

MessageAnswer message_box(std::string_view text_gbk, std::string_view title_gbk, MessageButtons buttons,
                          MessageIcon icon) {
    MessageRequest request{text::Text(text_gbk), text::Text(title_gbk), buttons, icon};
    MessageAnswerer answerer;
    {
        std::lock_guard lock(answerer_mutex());
        answerer = installed_answerer();
    }
    if (answerer) return answerer(request);

    if (on_gui_thread()) {
        // exec() makes an ownerless box modal for the whole program.
        QMessageBox* box = make_box(request);
        box->setAttribute(Qt::WA_DeleteOnClose, false);
        const int result = box->exec();
        delete box;
        return answer_of(result, buttons);
    }

    // From a worker: the GUI thread shows the box without modality and goes on serving the
    // window; only this worker waits for the answer.
    auto answer = std::make_shared<std::promise<MessageAnswer>>();
    std::future<MessageAnswer> answered = answer->get_future();
    post_to_gui([request, answer] {
        QMessageBox* box = make_box(request);
        box->setWindowModality(Qt::NonModal);
        QObject::connect(box, &QDialog::finished, box,
                         [answer, buttons = request.buttons, answered = false](int result) mutable {
                             if (answered) return;
                             answered = true;
                             answer->set_value(answer_of(result, buttons));
                         });
        box->show();
        box->raise();
        box->activateWindow();
    });
    try {
        return answered.get();
    } catch (const std::future_error&) {
        return MessageAnswer::cancel;  // the box went away unanswered
    }
}

void end_process(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace platform
