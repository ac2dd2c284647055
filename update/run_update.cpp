#include "update/run_update.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include "http/download.h"
#include "update/progress.h"
#include "update/texts.h"

namespace update {

namespace {

[[noreturn]] void wait_for_the_end() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// The installation, held against the close question. Tells nobody: the caller does, once the
// hold is released, because a message box waits for the window's thread.
UpdateOutcome install(UpdateRun& run) {
    const auto held = run.hold();
    const UpdatePlan& plan = run.plan();
    const std::string downloaded = temporary_file(plan);
    const std::string target = installed_file(plan);

    // An error page or a cut-off file is not put where a program is expected to be.
    if (!is_platform_executable(downloaded)) {
        ::unlink(downloaded.c_str());
        return UpdateOutcome::not_executable;
    }
    // Under the running program's own name the new file replaces it in place (the running
    // program goes on from the old file), and a removal script would delete the only copy.
    const bool replaces_running = same_file(target, plan.running_program);
    if (place_file(downloaded, target) == Placed::failed) {
        ::unlink(downloaded.c_str());
        return UpdateOutcome::not_placed;
    }
    if (!start_program(target)) return UpdateOutcome::not_started;
    if (!replaces_running) start_removal_script(removal_script_file(plan), plan.running_program);
    return UpdateOutcome::started;
}

}  // namespace

void UpdateRun::stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
}

void UpdateRun::checkpoint() {
    bool stopped = false;
    {
        std::lock_guard lock(mutex_);
        stopped = stopped_;
    }
    if (stopped) wait_for_the_end();
}

std::unique_lock<std::mutex> UpdateRun::hold() {
    std::unique_lock lock(mutex_);
    if (stopped_) {
        lock.unlock();
        wait_for_the_end();
    }
    return lock;
}

UpdateOutcome run_update_steps(UpdateView& view, UpdateRun& run) {
    const UpdatePlan& plan = run.plan();
    if (!is_plain_file_name(plan.exe_name)) {
        view.tell(texts::not_installed());
        return UpdateOutcome::bad_name;
    }

    const auto progress = [&](std::int32_t total, std::int32_t done, std::int32_t elapsed,
                              std::int32_t this_run) {
        run.checkpoint();
        show_download_progress(view, total, done, elapsed, this_run);
    };
    // A fresh download: whatever an earlier update left in the file is replaced.
    if (http::http_download(plan.update_address, temporary_file(plan), progress) != http::download_complete)
        return UpdateOutcome::download_failed;

    run.checkpoint();
    view.hide_size_and_speed();
    for (const text::Text& caption : {texts::countdown_3(), texts::countdown_2(), texts::countdown_1()}) {
        run.checkpoint();
        view.show_status(caption);
        std::this_thread::sleep_for(plan.countdown_step);
    }

    const UpdateOutcome outcome = install(run);
    if (outcome != UpdateOutcome::started) view.tell(texts::not_installed());
    return outcome;
}

void run_update(UpdateView& view, UpdateRun& run) {
    run_update_steps(view, run);
    end_program();
}

void handle_update_window_close(UpdateView& view, UpdateRun& run) {
    if (!view.ask(texts::close_question(), texts::close_title())) return;
    // Once stop() returns the worker goes no further than its next piece, and an installation
    // under way has already ended the program. A piece still being written goes to the open
    // file, not under its name, so the name is gone for good.
    run.stop();
    ::unlink(temporary_file(run.plan()).c_str());
    end_program();
}

void end_program() {
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace update
