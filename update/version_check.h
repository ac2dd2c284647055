#pragma once
// The version check at every start: the version page names the newest version, where its
// executable is and what it is called; when that version differs from the one the main
// window shows, the user is asked whether to update.

#include <optional>

#include "text/text.h"
#include "update/view.h"

namespace update {

// The newest version named by a fetched version page, or nothing when the page says nothing
// about versions: it could not be fetched (`failed`), it is an error page (`status` 400 or
// more), or it has no "1：" value. Only a named version that differs counts as an update.
std::optional<text::Text> newest_version(const text::Text& page, bool failed, int status);

// "发现新版本：" + newest + "，是否更新？".
text::Text update_question(const text::Text& newest);

// Runs on its own worker: reads the current version, fetches the version page, asks when the
// page names a different version, and on OK hides the main window and opens the update window
// with the page's address and name.
void check_for_update(CheckView& view);

}  // namespace update
