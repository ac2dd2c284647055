// The plain page read of the forum's account pages.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "account/forum.h"
#include "http/url.h"
#include "platform/inet.h"

namespace account {

namespace {

namespace inet = platform::inet;

constexpr const char* page_agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr const char* page_header_text = "Accept: */*\r\n\r\n";
constexpr std::int64_t largest_piece = 102400;
constexpr std::size_t piece_without_length = 10240;

// One session serves every page read of the process and stays open while it runs; it is
// never destroyed, so a read at the very end of the program finds it still there.
const inet::Internet* page_session() {
    static const inet::Internet* session = [] {
        auto opened = inet::open_internet(page_agent, inet::ProxyMode::system);
        return opened ? new inet::Internet(std::move(*opened)) : nullptr;
    }();
    return session;
}

bool starts_with_ignoring_case(const text::Text& address, std::string_view prefix) {
    return text::to_lower(text::text_left(address, static_cast<int>(prefix.size()))) == prefix;
}

std::size_t piece_size(const inet::Request& request) {
    const auto length = inet::query_content_length(request);
    if (!length || *length <= 0) return piece_without_length;
    return static_cast<std::size_t>(std::min(*length + 1, largest_piece));
}

}  // namespace

text::Bytes read_page(const text::Text& address) {
    const bool secure = starts_with_ignoring_case(address, "https://");
    if (!secure && !starts_with_ignoring_case(address, "http://")) return {};
    const inet::Internet* session = page_session();
    if (session == nullptr) return {};

    const auto connection = inet::connect(*session, http::url_host(address), http::url_port(address));
    if (!connection) return {};
    std::uint32_t flags = inet::flag_reload | inet::flag_no_cache_write;
    if (secure) flags |= inet::flag_secure;
    inet::Request request =
        inet::open_request(*connection, "GET", http::url_path(address), "HTTP/1.0", flags);
    if (!request) return {};
    inet::send_request(request, page_header_text);

    text::Bytes body;
    text::Bytes piece(piece_size(request));
    for (;;) {
        const inet::ReadResult read = inet::read_piece(request, piece);
        body.insert(body.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(read.count));
        if (!read.ok || read.count == 0) break;
    }
    inet::close(request);
    return body;
}

}  // namespace account
