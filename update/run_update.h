#pragma once
// The update window's work: the download with its progress, the countdown, the installation,
// the start of the new program and the removal of the old one; and the window's close question.

#include <mutex>

#include "update/install.h"
#include "update/view.h"

namespace update {

// One update under way: its plan, and the switch the close question stops it with.
class UpdateRun {
  public:
    explicit UpdateRun(UpdatePlan plan) : plan_(std::move(plan)) {}
    UpdateRun(const UpdateRun&) = delete;
    UpdateRun& operator=(const UpdateRun&) = delete;

    const UpdatePlan& plan() const { return plan_; }

    // The close question's OK. Waits while the installation runs (it is never cut in half),
    // then the worker gets no further than its next checkpoint.
    void stop();
    // The worker, between steps: returns while the run goes on; a stopped run's worker stays
    // here until the program ends.
    void checkpoint();
    // The worker, around the installation: keeps stop() waiting while the lock is held.
    std::unique_lock<std::mutex> hold();

  private:
    UpdatePlan plan_;
    std::mutex mutex_;
    bool stopped_ = false;
};

enum class UpdateOutcome {
    download_failed,  // the downloader told the user already
    bad_name,         // the page names no plain file name
    not_executable,   // the download is no program for this machine
    not_placed,       // neither the move nor the copy put it in place
    not_started,      // the new program would not start
    started,          // the new program runs; the old one is being removed
};

// Downloads into the temporary file with progress, hides the size and the speed, counts down
// 3, 2, 1 a step apart, puts the new program in place, starts it and starts the removal
// script, and returns what came of it. The folder keeps a working program whatever happens:
// when the update cannot be installed the old program stays, nothing of it is deleted, and
// the user is told. An update under the running program's own name replaces it in place, and
// then nothing is removed.
UpdateOutcome run_update_steps(UpdateView& view, UpdateRun& run);

// The download worker: run_update_steps, then the program ends with exit code 0.
[[noreturn]] void run_update(UpdateView& view, UpdateRun& run);

// A close request of the update window (its close button, Esc). Asks the close question; on
// OK stops the run, deletes the temporary file and ends the program with exit code 0. Returns
// on Cancel: the window stays and the update goes on.
void handle_update_window_close(UpdateView& view, UpdateRun& run);

// Ends the process at once with exit code 0; nothing is torn down under running threads.
[[noreturn]] void end_program();

}  // namespace update
