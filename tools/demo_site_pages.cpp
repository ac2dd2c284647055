// The look of the demo site's pages, and small helpers every host uses.

#include "tools/demo_site.h"

#include "text/charset.h"

namespace demo {

namespace {

std::string themed(std::string_view title, std::string_view body_html, std::string_view charset) {
    std::string page;
    page += "<!DOCTYPE html><html><head><meta charset=\"";
    page += charset;
    page += "\"><title>";
    page += html_escape(title);
    page +=
        "</title><style>"
        "body{margin:0;min-height:100vh;font-family:'Noto Sans CJK SC',sans-serif;color:#e8ecff;"
        "background:radial-gradient(ellipse at 70% 20%,#3b2f72 0,#141a4d 45%,#070b26 100%);}"
        "main{padding:28px 40px;}h1{font-size:22px;color:#ffe2a8;margin:0 0 14px;}"
        "p{font-size:14px;line-height:1.6;}code{display:block;padding:10px 14px;border-radius:8px;"
        "background:rgba(255,255,255,.08);border:1px solid #5a6cff;color:#9fe3ff;word-break:break-all;}"
        ".note{color:#aab3dd;font-size:12px;}a{color:#9fe3ff;}"
        "</style></head><body><main>";
    page += body_html;
    page += "<p class=\"note\">星河影舱 离线演示站点 · 127.0.0.1</p></main></body></html>";
    return page;
}

}  // namespace

std::string html_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string request_target(const Request& request) {
    // A proxy-style absolute target carries the origin in front of the path.
    std::string target = request.target;
    const size_t scheme = target.find("://");
    if (!target.empty() && target[0] != '/' && scheme != std::string::npos) {
        const size_t path = target.find('/', scheme + 3);
        target = path == std::string::npos ? "/" : target.substr(path);
    }
    return target;
}

std::string raw_query_tail(const Request& request, std::string_view name) {
    const std::string target = request_target(request);
    const std::string key = std::string(name) + "=";
    const size_t query = target.find('?');
    if (query == std::string::npos) return {};
    const size_t at = target.find(key, query);
    if (at == std::string::npos) return {};
    return target.substr(at + key.size());
}

void send_page(Response& response, std::string_view title, std::string_view body_html, int status) {
    response.status = status;
    response.content_type = "text/html; charset=utf-8";
    response.body = themed(title, body_html, "utf-8");
}

void send_gbk_page(Response& response, std::string_view title_utf8, std::string_view body_html_utf8,
                   int status) {
    response.status = status;
    response.content_type = "text/html; charset=gbk";
    response.body = text::utf8_to_gbk(themed(title_utf8, body_html_utf8, "gbk"));
}

void send_not_found(const Request& request, Response& response) {
    send_page(response, "未找到",
              "<h1>这里什么也没有</h1><p>演示站点没有这个页面：</p><code>" +
                  html_escape(request.header("host") + request_target(request)) + "</code>",
              404);
}

}  // namespace demo
