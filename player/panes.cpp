#include "player/panes.h"

#include <functional>

#include <QLineEdit>
#include <QPushButton>

#include "config/addresses.h"
#include "platform/paths.h"
#include "platform/qt_text.h"
#include "player/browser_pane.h"
#include "text/charset.h"

namespace player {

namespace {

BrowserPane* pane(QWidget* window, const char* name) {
    return window->findChild<BrowserPane*>(QString::fromUtf8(name));
}

text::Text edit_text(QWidget* window, const char* name) {
    auto* edit = window->findChild<QLineEdit*>(QString::fromUtf8(name));
    return edit != nullptr ? platform::from_qstring(edit->text()) : text::Text();
}

void navigate(QWidget* window, const char* pane_name, const text::Text& address) {
    if (BrowserPane* target = pane(window, pane_name)) target->navigate(platform::to_qstring(address));
}

void show_blank_page(QWidget* window, const char* pane_name) {
    if (BrowserPane* target = pane(window, pane_name)) target->navigate(QString::fromUtf8(blank_page_path()));
}

void on_click(QWidget* window, const char* button_name, std::function<void()> action) {
    if (auto* button = window->findChild<QPushButton*>(QString::fromUtf8(button_name))) {
        QObject::connect(button, &QPushButton::clicked, window, std::move(action));
    }
}

}  // namespace

text::Text cloud_player_address(const text::Text& link) {
    return text::Text(addresses::cloud_player_origin) + "//uc_client/model/api.php?url=" + link;
}

text::Text hd_player_address(const text::Text& page_address) {
    const text::Text encoded = text::url_encode(page_address, /*keep_unreserved=*/true, /*via_utf8=*/false);
    return text::Text(addresses::hd_player_origin) + "/api/play.jsp?url=" +
           text::replace_subtext(encoded, "%5F", "_", 1, std::nullopt, /*case_sensitive=*/true);
}

text::Text live_tv_address() { return text::Text(addresses::live_tv_origin) + "/images/img/100/"; }

std::string blank_page_path() { return platform::run_directory_file("1.html"); }

void connect_player_panes(QWidget* window) {
    on_click(window, "按钮2", [window] {
        navigate(window, "超文本浏览框2", cloud_player_address(edit_text(window, "编辑框2")));
    });
    on_click(window, "按钮3", [window] { show_blank_page(window, "超文本浏览框2"); });
    on_click(window, "高清影库播放按钮", [window] {
        navigate(window, "高清影库浏览框", hd_player_address(edit_text(window, "编辑框_高清影库")));
    });
    on_click(window, "高清影库关闭按钮", [window] { show_blank_page(window, "高清影库浏览框"); });
    on_click(window, "按钮1", [window] { show_blank_page(window, "电视直播浏览框"); });
    show_blank_page(window, "超文本浏览框2");
}

void load_live_tv(QWidget* window) { navigate(window, "电视直播浏览框", live_tv_address()); }

}  // namespace player
