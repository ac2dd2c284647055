// The player services and the live-TV site. A player page shows the link it was asked to
// play, so whoever tries the program sees the whole way from the window to the service.

#include "tools/demo_site.h"

#include "text/charset.h"

namespace demo {

namespace {

// The link as the player received it, and decoded as a service would read it: the browser
// sends typed text as UTF-8, the HD library encodes the GBK bytes itself.
std::string player_body(std::string_view service, const std::string& raw_link, bool gbk_escapes) {
    std::string body = "<h1>";
    body += service;
    body += "</h1><p>正在播放这个链接（原样收到）：</p><code>" + html_escape(raw_link) + "</code>";
    const std::string decoded = text::gbk_to_utf8(text::url_decode(raw_link, /*from_utf8=*/!gbk_escapes));
    if (decoded != raw_link) body += "<p>解码后：</p><code>" + html_escape(decoded) + "</code>";
    body += "<p>★ ☆ ★ 演示播放器不播放视频，只告诉您它收到了什么。</p>";
    return body;
}

}  // namespace

void cloud_player_pages(const Request& request, Response& response) {
    const std::string target = request_target(request);
    // "//uc_client/model/api.php?url=" from the play button, "/play.php?url=" from the
    // configured player that the result list uses.
    if (target.rfind("//uc_client/model/api.php", 0) == 0 ||
        target.rfind("/uc_client/model/api.php", 0) == 0 || target.rfind("/play.php", 0) == 0) {
        // The pane shows this page 47 pixels up, as it does the real service's header.
        send_page(
            response, "云点播",
            "<div style=\"margin:-28px -40px 24px;height:47px;background:rgba(255,255,255,.06);\"></div>" +
                player_body("云点播 演示播放器", raw_query_tail(request, "url"), false));
        return;
    }
    send_not_found(request, response);
}

void hd_player_pages(const Request& request, Response& response) {
    if (request_target(request).rfind("/api/play.jsp", 0) == 0) {
        send_page(response, "高清影库",
                  player_body("高清影库 演示播放器", raw_query_tail(request, "url"), true));
        return;
    }
    send_not_found(request, response);
}

void live_tv_pages(const Request& request, Response& response) {
    if (request_target(request).rfind("/images/img/100/", 0) != 0) {
        send_not_found(request, response);
        return;
    }
    std::string body = "<h1>电视直播</h1><p>演示频道表：</p><p>";
    for (const char* channel : {"星河一台", "银河新闻", "猎户座电影", "仙女座少儿", "天琴音乐", "北斗体育"}) {
        body +=
            "<span style=\"display:inline-block;margin:6px 10px 6px 0;padding:10px 18px;border-radius:10px;"
            "background:rgba(90,108,255,.25);border:1px solid #9fe3ff;\">★ ";
        body += channel;
        body += "</span>";
    }
    body += "</p>";
    send_page(response, "电视直播", body);
}

}  // namespace demo
