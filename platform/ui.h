#pragma once
// The screen services every folder shares: the one blocking call that carries a piece of work
// onto the GUI thread, the program's message boxes, and the end of the process.
//
// Threads: the GUI thread owns every window. A worker never touches a widget itself; it hands
// the work to run_on_gui and waits until the GUI thread has done it.
//
// Message boxes have no owner window. A box asked for on the GUI thread is modal for the whole
// program (the caller's handler waits in it). A box asked for by a worker is shown without
// modality on the GUI thread while only that worker waits for the answer, so the main window
// stays usable behind it: a question from the version check must not freeze the window.
//
// Every box goes through message_box(). A test installs an answerer and no box is ever shown.

#include <functional>
#include <string_view>

#include "text/gbk_literal.h"
#include "text/text.h"

namespace platform {

GBK_CONSTANT(default_message_title, "信息：")

// Runs `work` on the GUI thread and returns when it is done: directly when called there,
// otherwise through the GUI thread's event queue while the caller blocks. Work handed over
// this way must not wait for the calling worker, or both wait forever.
void run_on_gui(const std::function<void()>& work);

// Queues `work` for the GUI thread and returns at once.
void post_to_gui(std::function<void()> work);

bool on_gui_thread();

enum class MessageButtons { ok, ok_cancel };
enum class MessageIcon { none, information, question, warning, error };
enum class MessageAnswer { ok, cancel };

struct MessageRequest {
    text::Text text;   // GBK
    text::Text title;  // GBK
    MessageButtons buttons = MessageButtons::ok;
    MessageIcon icon = MessageIcon::none;
};

// Shows a message box and returns the answer. Closing a box without choosing reads as Cancel
// for a question and as OK for a notice. Callable from any thread.
MessageAnswer message_box(std::string_view text_gbk, std::string_view title_gbk = default_message_title(),
                          MessageButtons buttons = MessageButtons::ok, MessageIcon icon = MessageIcon::none);

// Answers every later message box instead of showing it; it is called on the thread that asked.
// An empty function restores the real boxes. Returns the answerer that was installed before.
using MessageAnswerer = std::function<MessageAnswer(const MessageRequest&)>;
MessageAnswerer set_message_answerer(MessageAnswerer answerer);

// Ends the process at once with `code`, every worker with it: output is flushed, nothing is
// destroyed, so no running worker ever finds a global or a widget gone under it.
[[noreturn]] void end_process(int code);

}  // namespace platform
