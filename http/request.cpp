#include "http/request.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "http/url.h"
#include "platform/inet.h"
#include "text/charset.h"
#include "text/extract.h"

namespace http {
namespace {

namespace inet = platform::inet;
using text::Bytes;
using text::Text;
using text::TextList;

constexpr std::size_t read_size = 1024;
// The raw headers must fit this area together with their terminating NUL.
constexpr int raw_header_area = 5000;
// The body position (1-based) before which "utf-8" marks a UTF-8 page.
constexpr int utf8_mark_limit = 500;
constexpr std::int64_t max_reserved_body = 64 << 20;

Text agent_for(const Text& headers) {
    if (text::find_text(headers, "User-Agent:", 0, true) == -1) return default_agent;
    Text agent = text::trim_both_ends(text::extract_between(headers, "User-Agent:", "\r\n"));
    // The line may be the last one, with no line end after it.
    if (agent.empty()) agent = value_after_colon(headers);
    return agent;
}

void add_default_headers(RequestOptions& o, const Text& url) {
    Text& h = o.headers;
    if (text::find_text(h, "Referer:") == -1) h += h.empty() ? "Referer: " + url : "\r\nReferer: " + url;
    if (text::find_text(h, "Accept:") == -1) h += "\r\nAccept: */*";
    if (text::find_text(h, "Accept-Language:") == -1) h += "\r\nAccept-Language: zh-cn";
    if (text::find_text(h, "Content-Type:") == -1) h += "\r\nContent-Type: application/x-www-form-urlencoded";
    if (!o.send_cookies.empty()) h += "\r\nCookie: " + o.send_cookies;
}

// Location and Set-Cookie lines of the raw headers.
void scan_headers(RequestOptions& o) {
    o.received_cookies.clear();
    for (const Text& line : text::split_text(o.raw_headers, "\r\n")) {
        if (text::find_text(line, "Location:") != -1) o.location = value_after_colon(line);
        if (text::find_text(line, "Set-Cookie") != -1)
            o.received_cookies +=
                text::trim_both_ends(text::extract_between(line, "Set-Cookie:", ";")) + "; ";
    }
    if (!o.received_cookies.empty()) o.received_cookies.resize(o.received_cookies.size() - 2);
}

// `body` holds raw bytes: the mark is found byte by byte, as find_bytes would.
bool declares_utf8(std::string_view body, const Text& raw_headers) {
    const auto at = body.find("utf-8");
    return (at != std::string_view::npos && at + 1 < utf8_mark_limit) ||
           text::find_text(raw_headers, "utf-8", 0, true) != -1;
}

std::string_view view(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
std::string_view view(const Text& text) { return text; }

Bytes to_gbk(const Bytes& utf8) { return text::utf8_bytes_to_gbk(utf8); }
Text to_gbk(const Text& utf8) {
    return text::to_text(text::utf8_bytes_to_gbk(text::Bytes(utf8.begin(), utf8.end())));
}

// One exchange, collecting the body straight into the result's own form (Bytes or Text), so a
// page is not copied once more on its way out.
template <class Body>
Body exchange(RequestOptions& o, const Text& url, int moved_requests) {
    o.failed = true;
    o.status = 0;
    const Text verb = o.method == 1 ? "POST" : "GET";
    const Text agent = agent_for(o.headers);

    const auto internet = o.proxy_given
                              ? inet::open_internet(agent, inet::ProxyMode::listed, "http=" + o.proxy)
                              : inet::open_internet(agent, inet::ProxyMode::system);
    if (!internet) return {};
    const auto connection = inet::connect(*internet, url_host(url), url_port(url));
    if (!connection) return {};

    std::uint32_t flags = inet::flag_reload | inet::flag_need_file;
    if (o.send_cookies_given) flags |= inet::flag_no_cookies;
    if (o.no_redirect) flags |= inet::flag_no_auto_redirect;
    flags |= text::to_lower(text::text_left(url, 5)) == "https" ? inet::flag_secure
                                                                : inet::flag_ignore_redirect_to_https;
    inet::Request request = inet::open_request(*connection, verb, url_path(url), "HTTP/1.1", flags);
    if (!request) return {};

    add_default_headers(o, url);
    if (o.method == 0) {
        inet::send_request(request, o.headers);
    } else {
        if (o.post_bytes.empty()) o.post_bytes = text::to_bytes(o.post_text);
        inet::send_request(request, o.headers, std::span<const unsigned char>(o.post_bytes));
    }

    Body body;
    // A declared length saves growing the body step by step; a false one costs nothing more.
    if (const auto length = inet::query_content_length(request); length && *length > 0)
        body.reserve(static_cast<std::size_t>(std::min<std::int64_t>(*length, max_reserved_body)));
    bool broke_off = false;
    unsigned char area[read_size];
    for (;;) {
        const auto piece = inet::read_piece(request, area);
        if (!piece.ok) broke_off = true;
        if (piece.count == 0) break;
        body.insert(body.end(), area, area + piece.count);
    }

    o.raw_headers = text::blank_text(raw_header_area);
    if (const auto raw = inet::query_raw_headers(request); raw && raw->size() < raw_header_area)
        o.raw_headers = raw->substr(0, raw->find('\0'));
    o.status = inet::query_status(request);
    o.failed = broke_off || o.status == 0;
    inet::close(request);

    scan_headers(o);
    if (o.send_cookies_given) merge_cookies(o.send_cookies, o.received_cookies);
    if (o.location.empty()) o.location = o.raw_headers;

    // A server that answers "moved" for ever is asked a bounded number of times; the last
    // answer then stands as the result.
    if (text::extract_between(o.raw_headers, "HTTP/1.1 ", " Moved") == "301" &&
        moved_requests < max_moved_requests) {
        const Text next = o.location + url_path(url);
        o.location.clear();
        return exchange<Body>(o, next, moved_requests + 1);
    }
    if (declares_utf8(view(body), o.raw_headers)) body = to_gbk(body);
    if constexpr (std::is_same_v<Body, Text>) body.resize(std::min(body.size(), body.find('\0')));
    return body;
}

}  // namespace

Bytes web_request_bytes(RequestOptions& options) { return exchange<Bytes>(options, options.url, 0); }

Text web_request_text(RequestOptions& options) { return exchange<Text>(options, options.url, 0); }

Text cookie_name(std::string_view entry) {
    const int equals = text::find_text(entry, "=");
    return text::trim_both_ends(equals == -1 ? entry : std::string_view(text::text_left(entry, equals - 1)));
}

Text merge_cookies(Text& send_cookies, Text& received_cookies) {
    send_cookies = text::remove_all_spaces(send_cookies);
    received_cookies = text::remove_all_spaces(received_cookies);
    const TextList old_entries = text::split_text(send_cookies, ";");
    TextList entries = text::split_text(received_cookies, ";");
    for (const Text& old : old_entries) {
        const Text name = cookie_name(old);
        const bool received_again = std::any_of(
            entries.begin(), entries.end(), [&](const Text& entry) { return cookie_name(entry) == name; });
        if (!received_again) entries.push_back(old);
    }

    Text merged;
    for (const Text& entry : entries)
        if (text::text_right(entry, 8) != "=deleted") merged += entry + "; ";
    merged = text::text_left(merged, text::text_length(merged) - 2);

    TextList unique;
    for (const Text& entry : text::split_text(merged, "; "))
        if (std::find(unique.begin(), unique.end(), entry) == unique.end()) unique.push_back(entry);
    send_cookies.clear();
    for (std::size_t i = 0; i < unique.size(); ++i) send_cookies += (i == 0 ? "" : "; ") + unique[i];
    return send_cookies;
}

}  // namespace http
