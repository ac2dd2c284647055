#pragma once
// Loopback HTTP servers for tests (and benchmarks). Everything listens on 127.0.0.1 only, on a
// port the system picks; nothing here talks to any other address.
//
// HttpServer: a small HTTP/1.1 server with a table of path -> handler. It records every
// request exactly as it arrived (request line, header lines in order and spelling, body), so a
// test can assert what the client really sent.
//
//     test_support::HttpServer server;
//     server.on("/page", test_support::gbk_page("<html>中文</html>"));
//     server.on("/old", server.redirect(301, "/page"));      // Location built from server.base()
//     ... web_request_text with url = server.url("/page?x=1") ...
//     EXPECT_EQ(server.last_request().header("Referer"), server.url("/page?x=1"));
//
//   - Routing is by the path of the request target (the part before "?"); a handler registered
//     for "*" answers every other path; otherwise the answer is "404 Not Found".
//   - A Reply is built (status, header lines, body, Content-Length unless told otherwise) or
//     streamed: `stream` runs after the head is written and writes the body itself through a
//     BodyWriter, with pauses; the connection closes after a streamed reply. `raw` replaces the
//     whole answer with exact bytes, then closes.
//   - Connections are kept alive between built replies, as curl expects.
//   - Handlers run on the connection's own thread; several connections are served at once.
//     The destructor ends every wait (pauses, held connections) and joins every thread.
//
// RawResponder: answers every connection with a script of exact bytes and pauses, for what an
// ordinary server would not send (odd line ends, a cut body, huge headers, a stall). It reads
// the request head (and a body announced by Content-Length) first and records it.
//
// ConnectTo: sets XINGHE_CONNECT_TO for its lifetime, so the client reaches a fixed outside
// address ("btsp.example:80") on one of these servers with the real URL and Host header.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace test_support {

struct ReceivedRequest {
    std::string request_line;               // "GET /a?b=1 HTTP/1.1"
    std::string method;                     // "GET"
    std::string target;                     // "/a?b=1"
    std::string path;                       // "/a"
    std::string version;                    // "HTTP/1.1"
    std::vector<std::string> header_lines;  // as received, in order, without their CR LF
    std::string body;

    // The value of the first header line of that name (ASCII case ignored), trimmed; nothing
    // when there is none.
    std::optional<std::string> header(std::string_view name) const;
    // How many header lines carry that name.
    int header_count(std::string_view name) const;
    // The header lines joined by CR LF, as they stood on the wire (without the empty line).
    std::string header_block() const;
};

// Writes a streamed body. Every call returns false once the client is gone or the server stops.
class BodyWriter {
  public:
    virtual ~BodyWriter() = default;
    virtual bool write(std::string_view bytes) = 0;
    // Waits, but returns early (false) when the server is being stopped.
    virtual bool pause(std::chrono::milliseconds duration) = 0;
    // Waits until the client closes the connection or the server stops.
    virtual void hold() = 0;
};

struct Reply {
    int status = 200;
    std::string reason;  // empty: the usual phrase for the status
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool send_length = true;  // a Content-Length line for `body` (ignored with `stream`)
    std::function<void(BodyWriter&)> stream;
    std::optional<std::string> raw;

    Reply& header(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
};

using Handler = std::function<Reply(const ReceivedRequest&)>;

class HttpServer {
  public:
    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void on(std::string path, Handler handler);

    int port() const { return port_; }
    std::string base() const;                        // "http://127.0.0.1:PORT"
    std::string url(std::string_view target) const;  // base() + target

    // A redirect whose Location is base() + target, the way a real site names itself.
    Handler redirect(int status, std::string target) const;

    std::vector<ReceivedRequest> requests() const;
    ReceivedRequest last_request() const;  // an empty record when none came
    std::size_t request_count() const;
    void clear_requests();

  private:
    struct State;
    std::shared_ptr<State> state_;
    int port_ = 0;
};

// Ready-made handlers.
Handler page(std::string body, std::string content_type = "text/html");
// The page's text given in UTF-8 (as source files are) and served as GBK bytes, with a
// Content-Type that names no charset.
Handler gbk_page(std::string_view utf8_text);
// A UTF-8 page; with `charset_in_header` the Content-Type says "charset=utf-8", otherwise
// only the body can tell.
Handler utf8_page(std::string body, bool charset_in_header);
// One Set-Cookie line per entry ("a=1; path=/"), then `body`.
Handler set_cookies(std::vector<std::string> cookies, std::string body = "ok");
// The body is the Cookie header the client sent (empty without one).
Handler cookie_echo();
// Serves `content`; "Range: bytes=N-" (with or without a space after the colon) gets a
// 206 with the bytes from N on.
Handler range_file(std::string content);
// The body in pieces of `piece` bytes with `delay` between them; no Content-Length unless told.
Handler trickle(std::string body, std::size_t piece, std::chrono::milliseconds delay,
                bool send_length = false);
// Declares `declared_length` but sends only `body`, then closes the connection.
Handler cut_body(std::string body, std::size_t declared_length);
// Sends the head and `body_start`, then sends nothing more until the client gives up.
Handler stall_after(std::string body_start, std::size_t declared_length);
// Header lines filling at least `header_bytes` bytes in all, then `body`.
Handler oversized_headers(std::size_t header_bytes, std::string body = "big");
// `size` bytes of a repeating pattern, streamed in large writes (for big downloads).
Handler large_body(std::size_t size);

// The byte at `offset` of large_body's pattern, to check a downloaded file.
unsigned char large_body_byte(std::size_t offset);

struct RawStep {
    std::string bytes;
    std::chrono::milliseconds pause_after{0};
};

class RawResponder {
  public:
    // After the steps: the connection is closed, or held open until the client closes it or
    // the responder is destroyed.
    explicit RawResponder(std::vector<RawStep> script, bool hold_open = false);
    explicit RawResponder(std::string bytes, bool hold_open = false);
    ~RawResponder();
    RawResponder(const RawResponder&) = delete;
    RawResponder& operator=(const RawResponder&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view target) const;
    // The request heads (and bodies) received, one per connection, exactly as sent.
    std::vector<std::string> received() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
    int port_ = 0;
};

// Maps each "HOST:PORT" to 127.0.0.1:local_port for the guard's lifetime, through
// XINGHE_CONNECT_TO (any earlier value is put back afterwards). Set it before starting
// requests; the variable is read when each request is made.
class ConnectTo {
  public:
    ConnectTo(std::string_view host_port, int local_port);
    ConnectTo(const std::vector<std::string>& host_ports, int local_port);
    ~ConnectTo();
    ConnectTo(const ConnectTo&) = delete;
    ConnectTo& operator=(const ConnectTo&) = delete;

  private:
    std::optional<std::string> previous_;
};

// "HOST:PORT" of an address such as "http://btsp.example" or "https://a.example:8443/x".
std::string host_port_of(std::string_view url);

}  // namespace test_support
