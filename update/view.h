#pragma once
// How the self-update speaks to the screen. Nothing in this folder touches a widget: the
// window's library implements these interfaces over its controls (each call carried onto the
// GUI thread while the caller waits), and a test or a command-line tool implements them too.

#include <optional>

#include "text/text.h"

namespace update {

// The accepted update, as the version page names it: where the new executable is, and the
// base name it is installed under (without any suffix).
struct UpdateValues {
    text::Text update_address;
    text::Text update_exe_name;
};

// The main window as the version check sees it. Called on the check's own worker.
struct CheckView {
    virtual ~CheckView() = default;
    // The caption of 透明标签版本号.
    virtual text::Text current_version() = 0;
    // An OK/Cancel box without an icon; true for OK. Only the asking worker waits: the main
    // window stays usable meanwhile.
    virtual bool ask(const text::Text& question, const text::Text& title) = 0;
    virtual void hide_main_window() = 0;
    // Opens the update window for `values` and returns once it is gone, which in practice is
    // never: every way out of it ends the program.
    virtual void open_update_window(const UpdateValues& values) = 0;
};

// What one progress report shows. A part left empty stays as the screen has it.
struct ProgressDisplay {
    text::Text speed;                      // 标签_下载速度
    std::optional<int> bar_position;       // 进度条1
    std::optional<text::Text> percentage;  // 标签_已完成百分比
    text::Text total_size;                 // 标签_总大小

    bool operator==(const ProgressDisplay&) const = default;
};

// The update window as the download worker sees it.
struct UpdateView {
    virtual ~UpdateView() = default;
    // Writes the report's controls in this order: speed, bar, percentage, total size.
    virtual void show_progress(const ProgressDisplay& display) = 0;
    // Hides 标签_下载速度 and 标签_总大小.
    virtual void hide_size_and_speed() = 0;
    // The caption of 标签_已完成百分比 (the countdown writes there).
    virtual void show_status(const text::Text& caption) = 0;
    // An OK box with the program's usual title.
    virtual void tell(const text::Text& message) = 0;
    // The close question: an OK/Cancel box with a question icon; true for OK. Asked on the
    // window's own thread while the download goes on.
    virtual bool ask(const text::Text& question, const text::Text& title) = 0;
};

}  // namespace update
