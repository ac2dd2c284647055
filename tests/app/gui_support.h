#pragma once
// Helpers of the GUI tests: waiting on the event loop, and message boxes answered by the test.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <vector>

#include <QCoreApplication>
#include <QTest>

#include "platform/qt_text.h"
#include "platform/ui.h"

namespace gui_test {

// Before the QApplication: no display, no GPU, and Chromium's sandbox off when running as root
// (it refuses root otherwise). Settings already in the environment win.
inline void prepare_headless_environment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// Serves events until `done` holds or `timeout_ms` has passed; true when it held.
inline bool wait_until(const std::function<bool()>& done, int timeout_ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QTest::qWait(10);
    }
    return true;
}

// Serves the events already queued (queued calls, deferred hides) a few times over.
inline void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

// Answers every message box for as long as it lives, and remembers what was asked.
class AnsweredBoxes {
  public:
    explicit AnsweredBoxes(platform::MessageAnswer answer = platform::MessageAnswer::ok) : answer_(answer) {
        previous_ = platform::set_message_answerer([this](const platform::MessageRequest& request) {
            std::lock_guard lock(mutex_);
            asked_.push_back(request);
            return answer_;
        });
    }
    ~AnsweredBoxes() { platform::set_message_answerer(previous_); }

    std::vector<platform::MessageRequest> asked() const {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    void answer_with(platform::MessageAnswer answer) {
        std::lock_guard lock(mutex_);
        answer_ = answer;
    }

  private:
    mutable std::mutex mutex_;
    platform::MessageAnswer answer_;
    std::vector<platform::MessageRequest> asked_;
    platform::MessageAnswerer previous_;
};

inline QString utf8(const text::Text& gbk) { return platform::to_qstring(gbk); }

}  // namespace gui_test
