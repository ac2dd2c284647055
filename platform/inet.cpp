#include "platform/inet.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include <curl/curl.h>

namespace platform::inet {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long max_redirects = 10;
// A server that never ends its headers is cut off instead of filling memory.
constexpr std::size_t max_header_bytes = 1 << 20;
// curl's receive buffer: what one network read can hand over at most.
constexpr long receive_buffer_bytes = 100 * 1024;
// Past this many unread bytes the transfer pauses until the reader catches up, so a fast
// server cannot make a slow reader hold more than this and one more network read.
constexpr std::size_t max_buffered_bytes = 128 * 1024;
constexpr std::size_t initial_buffer_bytes = max_buffered_bytes + receive_buffer_bytes;

// libcurl's global state and the one cookie store of the process. Created on first use and
// never destroyed: workers may still be inside a request while the process ends.
struct Global {
    CURLcode init_result;
    CURLSH* share = nullptr;
    std::mutex locks[CURL_LOCK_DATA_LAST];
    std::atomic<std::int64_t> connect_ms{10000};
    std::atomic<std::int64_t> stall_ms{20000};

    Global() : init_result(curl_global_init(CURL_GLOBAL_DEFAULT)) {
        if (init_result != CURLE_OK) return;
        share = curl_share_init();
        if (!share) return;
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Global::lock);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Global::unlock);
        curl_share_setopt(share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
        static_cast<Global*>(user)->locks[data].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* user) {
        static_cast<Global*>(user)->locks[data].unlock();
    }
    bool ready() const { return init_result == CURLE_OK && share != nullptr; }
};

Global& global() {
    static Global* const instance = new Global;
    return *instance;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using MultiPtr = std::unique_ptr<CURLM, MultiDeleter>;
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (ascii_lower(text[i]) != ascii_lower(prefix[i])) return false;
    return true;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A header value cannot hold a line break; whatever follows one is not ours to send.
std::string single_line(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

// Bytes that cannot stand in a request line as they are.
std::string encode_odd_bytes(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool valid_host(std::string_view host) {
    if (host.empty()) return false;
    for (unsigned char c : host)
        if (c <= 0x20 || c >= 0x7F || std::strchr("/?#@[]\\:", c)) return false;
    return true;
}

}  // namespace

struct Transfer {
    std::string url;
    bool secure = false;
    Internet internet;
    std::string verb;
    bool http10 = false;
    std::uint32_t flags = 0;

    EasyPtr easy;
    MultiPtr multi;
    SlistPtr header_list;
    SlistPtr connect_to;
    std::vector<unsigned char> request_body;
    char error[CURL_ERROR_SIZE] = {};
    std::string failure;
    bool attached = false;
    bool sent = false;
    bool paused = false;
    bool done = false;
    CURLcode result = CURLE_OK;

    // The response being received; a new status line starts over, so after a followed
    // redirect only the final response remains.
    std::string headers;
    int status = 0;
    bool has_location = false;
    bool headers_complete = false;
    bool final_headers = false;

    // Body bytes received and not yet read: [buffer_pos, buffer_end) of a fixed area.
    std::unique_ptr<unsigned char[]> buffer;
    std::size_t buffer_pos = 0;
    std::size_t buffer_end = 0;
    std::size_t buffer_capacity = 0;
    Clock::time_point last_activity;

    ~Transfer() {
        if (attached) curl_multi_remove_handle(multi.get(), easy.get());
    }

    bool following() const { return (flags & flag_no_auto_redirect) == 0; }
    std::size_t buffered() const { return buffer_end - buffer_pos; }

    void fail(CURLcode code, std::string why) {
        if (attached) {
            curl_multi_remove_handle(multi.get(), easy.get());
            attached = false;
        }
        done = true;
        result = code;
        failure = std::move(why);
    }
};

namespace {

size_t on_header(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    t.last_activity = Clock::now();
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);

    if (starts_with_nocase(line, "HTTP/")) {
        t.headers.clear();
        t.has_location = false;
        t.headers_complete = false;
        t.final_headers = false;
        const auto space = line.find(' ');
        t.status =
            space == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(space + 1, 3)).c_str());
    } else if (line.empty()) {
        if (!t.headers.empty() && !t.headers_complete) {
            t.headers_complete = true;
            // An informational answer is followed by the real one, and a redirect that curl
            // follows by the next response.
            const bool followed = t.following() && t.status >= 300 && t.status < 400 && t.has_location;
            t.final_headers = t.status >= 200 && !followed;
        }
        return length;
    } else if (t.headers_complete) {
        return length;  // trailers after a chunked body
    }
    if (starts_with_nocase(line, "Location:")) t.has_location = true;
    if (t.headers.size() + line.size() > max_header_bytes) return 0;
    t.headers.append(line);
    t.headers.append("\r\n");
    return length;
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    t.last_activity = Clock::now();
    t.final_headers = true;
    if (t.buffered() >= max_buffered_bytes) {
        t.paused = true;
        return CURL_WRITEFUNC_PAUSE;  // curl keeps the data and hands it over again on resume
    }
    if (t.buffer_end + length > t.buffer_capacity) {
        if (t.buffered() + length > t.buffer_capacity) {
            // Pieces are far smaller than the area; should one not be, the area grows once.
            std::unique_ptr<unsigned char[]> larger(new unsigned char[t.buffered() + length]);
            t.buffer_capacity = t.buffered() + length;
            std::memcpy(larger.get(), t.buffer.get() + t.buffer_pos, t.buffered());
            t.buffer = std::move(larger);
        } else {
            std::memmove(t.buffer.get(), t.buffer.get() + t.buffer_pos, t.buffered());
        }
        t.buffer_end -= t.buffer_pos;
        t.buffer_pos = 0;
    }
    std::memcpy(t.buffer.get() + t.buffer_end, data, length);
    t.buffer_end += length;
    return length;
}

void collect_finished(Transfer& t) {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(t.multi.get(), &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        t.done = true;
        t.result = message->data.result;
        if (t.result != CURLE_OK) t.failure = t.error[0] ? t.error : curl_easy_strerror(t.result);
    }
}

// Lets curl work until `ready` holds or the transfer has ended. The stall limit counts from
// the last byte received (or from the send).
template <class Ready>
void pump(Transfer& t, Ready ready) {
    const auto stall = std::chrono::milliseconds(global().stall_ms.load());
    while (!t.done && !ready()) {
        if (t.paused) {
            // Resuming may hand over the kept data at once, and may pause again.
            t.paused = false;
            t.last_activity = Clock::now();
            curl_easy_pause(t.easy.get(), CURLPAUSE_CONT);
            if (ready()) return;
        }
        int running = 0;
        const CURLMcode code = curl_multi_perform(t.multi.get(), &running);
        if (code != CURLM_OK) {
            t.fail(CURLE_FAILED_INIT, curl_multi_strerror(code));
            return;
        }
        collect_finished(t);
        if (t.done || ready()) return;
        const auto idle = Clock::now() - t.last_activity;
        if (idle >= stall) {
            t.fail(CURLE_OPERATION_TIMEDOUT, "nothing received within the time limit");
            return;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(stall - idle).count();
        curl_multi_poll(t.multi.get(), nullptr, 0, static_cast<int>(std::clamp<std::int64_t>(left, 1, 1000)),
                        nullptr);
    }
}

// The server a listed proxy names for `scheme`, or an empty text for a direct connection.
std::string listed_proxy(std::string_view list, std::string_view scheme) {
    std::string fallback;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find_first_of(" ;", start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view entry = list.substr(start, end - start);
        start = end + 1;
        if (entry.empty()) continue;
        const auto equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (fallback.empty()) fallback = std::string(entry);
        } else if (entry.substr(0, equals).size() == scheme.size() &&
                   starts_with_nocase(entry.substr(0, equals), scheme)) {
            return std::string(entry.substr(equals + 1));
        }
    }
    return fallback;
}

SlistPtr connect_to_entries() {
    const char* value = std::getenv("XINGHE_CONNECT_TO");
    if (!value || !*value) return nullptr;
    curl_slist* list = nullptr;
    std::string_view rest(value);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string entry(trim(rest.substr(0, comma)));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (entry.empty()) continue;
        if (curl_slist* grown = curl_slist_append(list, entry.c_str())) list = grown;
    }
    return SlistPtr(list);
}

std::unique_ptr<Transfer> make_transfer(std::string url, bool secure, const Internet& internet,
                                        std::string_view verb, std::string_view version,
                                        std::uint32_t flags) {
    Global& g = global();
    if (!g.ready() || verb.empty()) return nullptr;
    auto t = std::make_unique<Transfer>();
    t->url = std::move(url);
    t->secure = secure;
    t->internet = internet;
    t->verb = std::string(verb);
    t->http10 = version == "HTTP/1.0";
    t->flags = flags;
    t->easy.reset(curl_easy_init());
    t->multi.reset(curl_multi_init());
    if (!t->easy || !t->multi) return nullptr;
    t->buffer.reset(new unsigned char[initial_buffer_bytes]);
    t->buffer_capacity = initial_buffer_bytes;

    CURL* e = t->easy.get();
    curl_easy_setopt(e, CURLOPT_URL, t->url.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->error);
    curl_easy_setopt(e, CURLOPT_USERAGENT, single_line(internet.agent).c_str());
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, t->http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(g.connect_ms.load()));
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, receive_buffer_bytes);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &on_header);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &on_body);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (t->following()) {
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, max_redirects);
    }
    curl_easy_setopt(e, CURLOPT_SHARE, g.share);
    if ((flags & flag_no_cookies) == 0) curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");

    if (internet.proxy_mode == ProxyMode::listed) {
        const std::string proxy = listed_proxy(internet.proxy_list, secure ? "https" : "http");
        curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());  // an empty text means direct
        curl_easy_setopt(e, CURLOPT_NOPROXY, "");
    }
    t->connect_to = connect_to_entries();
    if (t->connect_to) curl_easy_setopt(e, CURLOPT_CONNECT_TO, t->connect_to.get());
    return t;
}

}  // namespace

Request::Request() = default;
Request::Request(std::unique_ptr<Transfer> transfer) : transfer_(std::move(transfer)) {}
Request::Request(Request&&) noexcept = default;
Request& Request::operator=(Request&&) noexcept = default;
Request::~Request() = default;

std::optional<Internet> open_internet(std::string_view agent, ProxyMode mode, std::string_view proxy_list) {
    if (!global().ready()) return std::nullopt;
    return Internet{std::string(agent), mode, std::string(proxy_list)};
}

std::optional<Connection> connect(const Internet& internet, std::string_view host, int port) {
    if (!valid_host(host) || port < 0 || port > 65535) return std::nullopt;
    return Connection{internet, std::string(host), port};
}

Request open_request(const Connection& connection, std::string_view verb, std::string_view path,
                     std::string_view version, std::uint32_t flags) {
    const bool secure = (flags & flag_secure) != 0;
    std::string url = secure ? "https://" : "http://";
    url += connection.host;
    if (connection.port != 0) url += ":" + std::to_string(connection.port);
    if (path.empty() || path.front() != '/') url += '/';
    url += encode_odd_bytes(path);
    return Request(make_transfer(std::move(url), secure, connection.internet, verb, version, flags));
}

bool send_request(Request& request, std::string_view header_text,
                  std::optional<std::span<const unsigned char>> body) {
    Transfer* t = request.transfer();
    if (!t || t->sent) return false;
    CURL* e = t->easy.get();

    curl_slist* list = nullptr;
    auto add = [&list](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list, line.c_str())) list = grown;
    };
    std::size_t start = 0;
    while (start <= header_text.size()) {
        std::size_t end = header_text.find('\n', start);
        if (end == std::string_view::npos) end = header_text.size();
        std::string_view line = header_text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find(':') != std::string_view::npos) add(std::string(line));
    }
    if (!body && t->verb == "POST") body.emplace();
    if (body) add("Expect:");  // no 100-continue round trip before small bodies
    t->header_list.reset(list);
    if (list) curl_easy_setopt(e, CURLOPT_HTTPHEADER, list);

    if (body) {
        t->request_body.assign(body->begin(), body->end());
        if (t->verb == "POST") curl_easy_setopt(e, CURLOPT_POST, 1L);
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t->request_body.size()));
        curl_easy_setopt(
            e, CURLOPT_POSTFIELDS,
            t->request_body.empty() ? "" : reinterpret_cast<const char*>(t->request_body.data()));
        if (t->verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, t->verb.c_str());
    } else if (t->verb == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (t->verb != "GET") {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, t->verb.c_str());
    }

    t->sent = true;
    t->last_activity = Clock::now();
    if (curl_multi_add_handle(t->multi.get(), e) != CURLM_OK) {
        t->fail(CURLE_FAILED_INIT, "the transfer could not start");
        return false;
    }
    t->attached = true;
    pump(*t, [t] { return t->final_headers || t->buffered() > 0; });
    return t->status != 0;
}

Request open_url(const Internet& internet, std::string_view url, std::string_view header_text,
                 std::uint32_t flags) {
    const bool secure = starts_with_nocase(url, "https://");
    if (!secure && !starts_with_nocase(url, "http://")) return Request();
    Request request(make_transfer(encode_odd_bytes(url), secure, internet, "GET", "HTTP/1.1", flags));
    if (!request || !send_request(request, header_text)) return Request();
    return request;
}

ReadResult read_piece(Request& request, std::span<unsigned char> buffer) {
    Transfer* t = request.transfer();
    if (!t || !t->sent) return {};
    if (buffer.empty()) return {t->result == CURLE_OK, 0};
    pump(*t, [t] { return t->buffered() > 0; });
    const std::size_t n = std::min(buffer.size(), t->buffered());
    if (n > 0) {
        std::memcpy(buffer.data(), t->buffer.get() + t->buffer_pos, n);
        t->buffer_pos += n;
        if (t->buffer_pos == t->buffer_end) t->buffer_pos = t->buffer_end = 0;
        return {true, n};
    }
    return {t->result == CURLE_OK, 0};
}

std::optional<std::string> query_raw_headers(const Request& request) {
    const Transfer* t = request.transfer();
    if (!t || t->status == 0) return std::nullopt;
    return t->headers;
}

std::optional<std::int64_t> query_content_length(const Request& request) {
    const Transfer* t = request.transfer();
    if (!t || t->status == 0) return std::nullopt;
    std::string_view rest(t->headers);
    while (!rest.empty()) {
        const auto end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
        if (!starts_with_nocase(line, "Content-Length:")) continue;
        const std::string_view value = trim(line.substr(15));
        if (value.empty() || value.size() > 18) return std::nullopt;
        std::int64_t number = 0;
        for (char c : value) {
            if (c < '0' || c > '9') return std::nullopt;
            number = number * 10 + (c - '0');
        }
        return number;
    }
    return std::nullopt;
}

int query_status(const Request& request) {
    const Transfer* t = request.transfer();
    return t ? t->status : 0;
}

std::string query_error(const Request& request) {
    const Transfer* t = request.transfer();
    if (!t) return "no request";
    return t->failure;
}

void close(Request& request) { request = Request(); }

ConnectionState connection_state() {
    ConnectionState state;
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) state.via_proxy = true;
    }
    return state;
}

void set_time_limits(TimeLimits limits) {
    global().connect_ms = std::max<std::int64_t>(limits.connect.count(), 1);
    global().stall_ms = std::max<std::int64_t>(limits.stall.count(), 1);
}

TimeLimits time_limits() {
    return {std::chrono::milliseconds(global().connect_ms.load()),
            std::chrono::milliseconds(global().stall_ms.load())};
}

}  // namespace platform::inet
