#pragma once
// The update window: the small framed window that shows an accepted update downloading,
// counting down and being installed; and the hook that runs the version check at every start.
//
// The window lives on the GUI thread like every widget. The version check's worker opens it
// and waits until it is gone (in practice never: every way out of it ends the program); its
// download worker writes its controls through platform::run_on_gui.

#include <memory>

#include <QWidget>

#include "update/run_update.h"
#include "update/view.h"

class QCloseEvent;
class QKeyEvent;

namespace app {

inline constexpr int update_window_width = 296;
inline constexpr int update_window_height = 75;

class UpdateWindow : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and its controls for `run`; nothing starts yet.
    explicit UpdateWindow(std::shared_ptr<update::UpdateRun> run);

    // The window's creation handler: starts the download worker.
    void handle_update_window_creation();

    // The controls as the update's logic sees them; callable from any thread.
    update::UpdateView& view() { return *view_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::shared_ptr<update::UpdateRun> run_;
    std::shared_ptr<update::UpdateView> view_;
};

// Gives the version check to the main window's creation handler, and makes a failed download
// tell the user before the program ends. Call before the main window is created.
void install_self_update();

}  // namespace app
