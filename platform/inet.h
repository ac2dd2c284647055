#pragma once
// The program's HTTP client, a small layer over libcurl. Nothing above it sees curl.
//
// The shape follows what the request engine, the downloader and the forum's page reads do:
// open an Internet session (agent and proxy choice), connect it to a host and port, open a
// request (verb, path, version, flags), send it with header text and a body, read the body
// piece by piece, ask for the raw headers and the Content-Length, or open an address in one
// step. Handles close when they go out of scope; `close` closes one early.
//
// What every request gets, whoever makes it:
//  - One process-wide cookie store in memory (never written to disk). Cookies a response sets
//    are sent with later requests of the process to the same site, unless a request asks for
//    `no_cookies`, which neither sends nor stores any.
//  - Redirects are followed here (at most 10) unless a request asks for `no_auto_redirect`.
//    The raw headers are those of the final response.
//  - Bounded time: a connection not made within 10 s fails, and a transfer that receives
//    nothing for 20 s ends as a failed read (see set_time_limits).
//  - XINGHE_CONNECT_TO: comma-separated `HOST:PORT:ADDRESS:PORT` entries, read from the
//    environment for each request, send a request for HOST:PORT to ADDRESS:PORT instead while
//    the address and the Host header stay as they are. Tests and the demo site use it to
//    reach the program's fixed outside addresses on 127.0.0.1.
//  - Only http and https.
//
// A handle belongs to one thread at a time; different requests may run on different threads
// at once (the cookie store is locked inside).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform::inet {

enum class ProxyMode {
    system,  // the proxy configured in the environment (http_proxy, https_proxy, no_proxy ...)
    listed,  // the session's proxy list: "SERVER" for every scheme, or entries "SCHEME=SERVER"
             // separated by spaces or ";" ("http=proxy.example:8080"); a scheme without an
             // entry goes direct
};

// An Internet session: the agent and the proxy choice that its requests use.
struct Internet {
    std::string agent;
    ProxyMode proxy_mode = ProxyMode::system;
    std::string proxy_list;
};

// A host and port to send requests to. Port 0 means the scheme's own port.
struct Connection {
    Internet internet;
    std::string host;
    int port = 0;
};

// Request flags. The cache flags are accepted for the callers' sake and change nothing: this
// client keeps no cache, so every request asks the server for a fresh copy.
enum RequestFlag : std::uint32_t {
    flag_reload = 1u << 0,
    flag_no_cache_write = 1u << 1,
    flag_pragma_no_cache = 1u << 2,
    flag_need_file = 1u << 3,
    flag_no_cookies = 1u << 4,                // leave the process-wide cookie store out of this request
    flag_no_auto_redirect = 1u << 5,          // hand back a redirect response as it is
    flag_secure = 1u << 6,                    // https (for open_request; open_url reads the scheme)
    flag_ignore_redirect_to_https = 1u << 7,  // redirects between http and https are always followed
};

struct Transfer;

// One request and its response. Move-only; an empty Request stands for "no handle".
class Request {
  public:
    Request();
    explicit Request(std::unique_ptr<Transfer> transfer);
    Request(Request&&) noexcept;
    Request& operator=(Request&&) noexcept;
    ~Request();

    explicit operator bool() const { return transfer_ != nullptr; }
    Transfer* transfer() const { return transfer_.get(); }

  private:
    std::unique_ptr<Transfer> transfer_;
};

struct ReadResult {
    bool ok = false;        // false once the transfer has failed (or nothing was sent)
    std::size_t count = 0;  // bytes placed in the buffer; 0 with ok means the end of the body
};

// Opening a session only records its settings; it fails only when libcurl cannot start.
std::optional<Internet> open_internet(std::string_view agent, ProxyMode mode = ProxyMode::system,
                                      std::string_view proxy_list = {});

// Records the host and port; nothing goes on the wire until a request is sent. Fails for an
// empty host or a port outside 0..65535.
std::optional<Connection> connect(const Internet& internet, std::string_view host, int port);

// `verb` is sent as it stands ("GET", "POST", ...); `version` is "HTTP/1.0" or "HTTP/1.1"
// (anything else counts as 1.1). Bytes of `path` that cannot stand in a request line
// (controls, spaces, bytes above 0x7E) are percent-encoded. Fails for an empty verb.
Request open_request(const Connection& connection, std::string_view verb, std::string_view path,
                     std::string_view version, std::uint32_t flags);

// Sends the request with extra header lines (separated by CR LF; empty lines are skipped; a
// line replaces the client's own header of that name) and a body. A body is sent whenever
// `body` is given, even an empty one, and even with GET. Returns once the final response's
// headers are in, or the exchange has failed; false when there is no response.
bool send_request(Request& request, std::string_view header_text,
                  std::optional<std::span<const unsigned char>> body = std::nullopt);

// Opens an http or https address in one step: a GET with the header text, sent at once.
// An empty Request when the address is not http(s) or no response came.
Request open_url(const Internet& internet, std::string_view url, std::string_view header_text,
                 std::uint32_t flags);

// Up to `buffer.size()` bytes of the body as they arrive; waits only when nothing is buffered.
// Memory does not grow with the body: at most one network read's worth is held here.
ReadResult read_piece(Request& request, std::span<unsigned char> buffer);

// The final response's status line and header lines, each ended by CR LF (no empty line at
// the end); nothing when no response has arrived.
std::optional<std::string> query_raw_headers(const Request& request);
// The final response's Content-Length; nothing when it has none.
std::optional<std::int64_t> query_content_length(const Request& request);
// The final response's status code; 0 when no response has arrived.
int query_status(const Request& request);
// Why the transfer failed, for diagnostics; empty while it has not.
std::string query_error(const Request& request);

void close(Request& request);

struct ConnectionState {
    bool online = true;      // no way to know better without asking the network
    bool via_proxy = false;  // the environment names a proxy
};
ConnectionState connection_state();

// The two time limits. Tests shorten them so a stalled server does not hold a test for 20 s.
struct TimeLimits {
    std::chrono::milliseconds connect{10000};
    std::chrono::milliseconds stall{20000};
};
void set_time_limits(TimeLimits limits);
TimeLimits time_limits();

}  // namespace platform::inet
