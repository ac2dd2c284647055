#include "update/version_check.h"

#include "config/addresses.h"
#include "http/request.h"
#include "text/extract.h"
#include "update/texts.h"

namespace update {

std::optional<text::Text> newest_version(const text::Text& page, bool failed, int status) {
    // A page that could not be had is not a new version: asking "发现新版本：，是否更新？" and
    // then downloading from an empty address would only end the program.
    if (failed || status >= 400) return std::nullopt;
    text::Text newest = text::extract_after_marker(page, texts::marker_version(), texts::marker_end());
    if (newest.empty()) return std::nullopt;
    return newest;
}

text::Text update_question(const text::Text& newest) {
    return texts::question_start() + newest + texts::question_end();
}

void check_for_update(CheckView& view) {
    const text::Text current = view.current_version();

    http::RequestOptions options;
    options.url = addresses::update_page;
    const text::Text page = http::web_request_text(options);

    const auto newest = newest_version(page, options.failed, options.status);
    // Versions have no order: any other version, an older one too, is offered.
    if (!newest || *newest == current) return;
    if (!view.ask(update_question(*newest), texts::question_title())) return;

    // The address and the name are cut only once the user has agreed.
    UpdateValues values;
    values.update_address = text::extract_after_marker(page, texts::marker_address(), texts::marker_end());
    values.update_exe_name = text::extract_after_marker(page, texts::marker_name(), texts::marker_end());
    view.hide_main_window();
    view.open_update_window(values);
}

}  // namespace update
