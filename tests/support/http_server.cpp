#include "tests/support/http_server.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/codepage.h"
#include "tests/support/socket_loop.h"

namespace test_support {
namespace {

using detail::SocketLoop;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string usual_reason(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 416:
            return "Range Not Satisfiable";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

ReceivedRequest parse_head(const std::string& head, std::string body) {
    ReceivedRequest request;
    std::size_t end = head.find("\r\n");
    request.request_line = head.substr(0, end);
    while (end != std::string::npos) {
        const std::size_t start = end + 2;
        end = head.find("\r\n", start);
        request.header_lines.push_back(
            head.substr(start, end == std::string::npos ? std::string::npos : end - start));
    }
    const std::string& line = request.request_line;
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first != std::string::npos && last > first) {
        request.method = line.substr(0, first);
        request.target = line.substr(first + 1, last - first - 1);
        request.version = line.substr(last + 1);
    }
    request.path = request.target.substr(0, request.target.find('?'));
    request.body = std::move(body);
    return request;
}

class SocketWriter : public BodyWriter {
  public:
    SocketWriter(SocketLoop& loop, int fd) : loop_(loop), fd_(fd) {}
    bool write(std::string_view bytes) override { return loop_.send_all(fd_, bytes); }
    bool pause(std::chrono::milliseconds duration) override { return loop_.pause(duration); }
    void hold() override { loop_.hold(fd_); }

  private:
    SocketLoop& loop_;
    int fd_;
};

}  // namespace

std::optional<std::string> ReceivedRequest::header(std::string_view name) const {
    for (const auto& line : header_lines) {
        const auto colon = line.find(':');
        if (colon != std::string::npos && same_name(trimmed(std::string_view(line).substr(0, colon)), name))
            return std::string(trimmed(std::string_view(line).substr(colon + 1)));
    }
    return std::nullopt;
}

int ReceivedRequest::header_count(std::string_view name) const {
    int count = 0;
    for (const auto& line : header_lines) {
        const auto colon = line.find(':');
        if (colon != std::string::npos && same_name(trimmed(std::string_view(line).substr(0, colon)), name))
            ++count;
    }
    return count;
}

std::string ReceivedRequest::header_block() const {
    std::string block;
    for (const auto& line : header_lines) {
        if (!block.empty()) block += "\r\n";
        block += line;
    }
    return block;
}

struct HttpServer::State {
    mutable std::mutex mutex;
    std::map<std::string, Handler> handlers;
    std::vector<ReceivedRequest> requests;
    SocketLoop loop{[this](int fd) { serve(fd); }};  // last: its threads use the members above

    void serve(int fd) {
        std::string pending, head, body;
        while (read_request(loop, fd, pending, head, body)) {
            ReceivedRequest request = parse_head(head, body);
            Handler handler;
            {
                std::lock_guard lock(mutex);
                requests.push_back(request);
                auto found = handlers.find(request.path);
                if (found == handlers.end()) found = handlers.find("*");
                if (found != handlers.end()) handler = found->second;
            }
            Reply reply;
            if (handler) {
                reply = handler(request);
            } else {
                reply.status = 404;
                reply.body = "not found";
            }
            if (reply.raw) {
                loop.send_all(fd, *reply.raw);
                return;
            }
            std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                              (reply.reason.empty() ? usual_reason(reply.status) : reply.reason) + "\r\n";
            for (const auto& [name, value] : reply.headers) out += name + ": " + value + "\r\n";
            const bool delimited = !reply.stream && reply.send_length;
            if (delimited) out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
            out += "\r\n";
            if (request.method != "HEAD") out += reply.body;
            if (!loop.send_all(fd, out)) return;
            if (reply.stream) {
                SocketWriter writer(loop, fd);
                reply.stream(writer);
                return;
            }
            const auto connection = request.header("Connection");
            if (!delimited || request.version == "HTTP/1.0" ||
                (connection && same_name(*connection, "close")))
                return;
        }
    }
};

HttpServer::HttpServer() : state_(std::make_shared<State>()), port_(state_->loop.port()) {}

HttpServer::~HttpServer() { state_->loop.stop(); }

void HttpServer::on(std::string path, Handler handler) {
    std::lock_guard lock(state_->mutex);
    state_->handlers[std::move(path)] = std::move(handler);
}

std::string HttpServer::base() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string HttpServer::url(std::string_view target) const { return base() + std::string(target); }

Handler HttpServer::redirect(int status, std::string target) const {
    return [status, location = url(target)](const ReceivedRequest&) {
        Reply reply;
        reply.status = status;
        reply.header("Location", location);
        reply.body = "moved";
        return reply;
    };
}

std::vector<ReceivedRequest> HttpServer::requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

ReceivedRequest HttpServer::last_request() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests.empty() ? ReceivedRequest{} : state_->requests.back();
}

std::size_t HttpServer::request_count() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests.size();
}

void HttpServer::clear_requests() {
    std::lock_guard lock(state_->mutex);
    state_->requests.clear();
}

Handler page(std::string body, std::string content_type) {
    return [body = std::move(body), content_type = std::move(content_type)](const ReceivedRequest&) {
        Reply reply;
        reply.header("Content-Type", content_type);
        reply.body = body;
        return reply;
    };
}

Handler gbk_page(std::string_view utf8_text) {
    return page(platform::convert_code_page(utf8_text, platform::cp_utf8, platform::cp_gbk), "text/html");
}

Handler utf8_page(std::string body, bool charset_in_header) {
    return page(std::move(body), charset_in_header ? "text/html; charset=utf-8" : "text/html");
}

Handler set_cookies(std::vector<std::string> cookies, std::string body) {
    return [cookies = std::move(cookies), body = std::move(body)](const ReceivedRequest&) {
        Reply reply;
        for (const auto& cookie : cookies) reply.header("Set-Cookie", cookie);
        reply.body = body;
        return reply;
    };
}

Handler cookie_echo() {
    return [](const ReceivedRequest& request) {
        Reply reply;
        reply.body = request.header("Cookie").value_or("");
        return reply;
    };
}

Handler range_file(std::string content) {
    return [content = std::move(content)](const ReceivedRequest& request) {
        Reply reply;
        const auto range = request.header("Range");
        const auto at = range ? range->find("bytes=") : std::string::npos;
        if (at == std::string::npos) {
            reply.body = content;
            return reply;
        }
        const std::size_t from = std::strtoull(range->c_str() + at + 6, nullptr, 10);
        if (from >= content.size()) {
            reply.status = 416;
            reply.header("Content-Range", "bytes */" + std::to_string(content.size()));
            return reply;
        }
        reply.status = 206;
        reply.header("Content-Range", "bytes " + std::to_string(from) + "-" +
                                          std::to_string(content.size() - 1) + "/" +
                                          std::to_string(content.size()));
        reply.body = content.substr(from);
        return reply;
    };
}

Handler trickle(std::string body, std::size_t piece, std::chrono::milliseconds delay, bool send_length) {
    return [body = std::move(body), piece = std::max<std::size_t>(piece, 1), delay,
            send_length](const ReceivedRequest&) {
        Reply reply;
        if (send_length) reply.header("Content-Length", std::to_string(body.size()));
        reply.stream = [body, piece, delay](BodyWriter& out) {
            for (std::size_t at = 0; at < body.size(); at += piece) {
                if (at > 0 && !out.pause(delay)) return;
                if (!out.write(std::string_view(body).substr(at, piece))) return;
            }
        };
        return reply;
    };
}

Handler cut_body(std::string body, std::size_t declared_length) {
    return [body = std::move(body), declared_length](const ReceivedRequest&) {
        Reply reply;
        reply.header("Content-Length", std::to_string(declared_length));
        reply.stream = [body](BodyWriter& out) { out.write(body); };
        return reply;
    };
}

Handler stall_after(std::string body_start, std::size_t declared_length) {
    return [body_start = std::move(body_start), declared_length](const ReceivedRequest&) {
        Reply reply;
        reply.header("Content-Length", std::to_string(declared_length));
        reply.stream = [body_start](BodyWriter& out) {
            if (out.write(body_start)) out.hold();
        };
        return reply;
    };
}

Handler oversized_headers(std::size_t header_bytes, std::string body) {
    return [header_bytes, body = std::move(body)](const ReceivedRequest&) {
        Reply reply;
        std::size_t total = 0;
        for (int n = 1; total < header_bytes; ++n) {
            std::string name = "X-Filler-" + std::to_string(n);
            std::string value(100, 'f');
            total += name.size() + 2 + value.size() + 2;
            reply.header(std::move(name), std::move(value));
        }
        reply.body = body;
        return reply;
    };
}

namespace {
constexpr std::size_t pattern_period = 65521;  // a prime, so pieces never line up with it
constexpr std::size_t large_write = 256 * 1024;

const std::string& pattern_block() {
    static const std::string* const block = [] {
        auto* text = new std::string(pattern_period + large_write, '\0');
        for (std::size_t i = 0; i < text->size(); ++i) (*text)[i] = static_cast<char>(large_body_byte(i));
        return text;
    }();
    return *block;
}
}  // namespace

unsigned char large_body_byte(std::size_t offset) {
    const std::size_t k = offset % pattern_period;
    return static_cast<unsigned char>((k * 2654435761u) >> 13);
}

Handler large_body(std::size_t size) {
    return [size](const ReceivedRequest&) {
        Reply reply;
        reply.header("Content-Length", std::to_string(size));
        reply.header("Content-Type", "application/octet-stream");
        reply.stream = [size](BodyWriter& out) {
            const std::string& block = pattern_block();
            for (std::size_t at = 0; at < size;) {
                const std::size_t n = std::min(large_write, size - at);
                if (!out.write(std::string_view(block).substr(at % pattern_period, n))) return;
                at += n;
            }
        };
        return reply;
    };
}

// Raw responder ----------------------------------------------------------------------------

struct RawResponder::State {
    std::vector<RawStep> script;
    bool hold_open = false;
    mutable std::mutex mutex;
    std::vector<std::string> received;
    SocketLoop loop{[this](int fd) { serve(fd); }};

    State(std::vector<RawStep> steps, bool hold) : script(std::move(steps)), hold_open(hold) {}

    void serve(int fd) {
        std::string pending, head, body;
        if (!read_request(loop, fd, pending, head, body)) return;
        {
            std::lock_guard lock(mutex);
            received.push_back(head + "\r\n\r\n" + body);
        }
        for (const auto& step : script) {
            if (!loop.send_all(fd, step.bytes)) return;
            if (step.pause_after.count() > 0 && !loop.pause(step.pause_after)) return;
        }
        if (hold_open) loop.hold(fd);
    }
};

RawResponder::RawResponder(std::vector<RawStep> script, bool hold_open)
    : state_(std::make_shared<State>(std::move(script), hold_open)), port_(state_->loop.port()) {}

RawResponder::RawResponder(std::string bytes, bool hold_open)
    : RawResponder(std::vector<RawStep>{RawStep{std::move(bytes)}}, hold_open) {}

RawResponder::~RawResponder() { state_->loop.stop(); }

std::string RawResponder::url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

std::vector<std::string> RawResponder::received() const {
    std::lock_guard lock(state_->mutex);
    return state_->received;
}

// Connect-to guard -------------------------------------------------------------------------

ConnectTo::ConnectTo(std::string_view host_port, int local_port)
    : ConnectTo(std::vector<std::string>{std::string(host_port)}, local_port) {}

ConnectTo::ConnectTo(const std::vector<std::string>& host_ports, int local_port) {
    if (const char* old = std::getenv("XINGHE_CONNECT_TO")) previous_ = old;
    std::string value;
    for (const auto& host_port : host_ports) {
        if (!value.empty()) value += ',';
        value += host_port + ":127.0.0.1:" + std::to_string(local_port);
    }
    setenv("XINGHE_CONNECT_TO", value.c_str(), 1);
}

ConnectTo::~ConnectTo() {
    if (previous_)
        setenv("XINGHE_CONNECT_TO", previous_->c_str(), 1);
    else
        unsetenv("XINGHE_CONNECT_TO");
}

std::string host_port_of(std::string_view url) {
    std::string port = "80";
    if (url.size() >= 8 && same_name(url.substr(0, 8), "https://")) {
        port = "443";
        url.remove_prefix(8);
    } else if (url.size() >= 7 && same_name(url.substr(0, 7), "http://")) {
        url.remove_prefix(7);
    }
    std::string_view host = url.substr(0, url.find_first_of("/?#"));
    const auto colon = host.find(':');
    if (colon != std::string_view::npos) return std::string(host);
    return std::string(host) + ":" + port;
}

}  // namespace test_support
