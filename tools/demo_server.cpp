#include "tools/demo_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace demo {

namespace {

constexpr size_t max_head = 64 * 1024;
constexpr size_t max_body = 1024 * 1024;

// One connection's bytes, plain or through TLS.
class Connection {
  public:
    Connection(int socket, SSL_CTX* tls) : socket_(socket) {
        if (tls != nullptr) {
            ssl_ = SSL_new(tls);
            SSL_set_fd(ssl_, socket_);
            if (SSL_accept(ssl_) != 1) failed_ = true;
        }
    }
    ~Connection() {
        if (ssl_ != nullptr) {
            if (!failed_) SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
        close(socket_);
    }
    bool failed() const { return failed_; }
    long read(char* buffer, size_t size) {
        if (ssl_ != nullptr) return SSL_read(ssl_, buffer, static_cast<int>(size));
        return ::recv(socket_, buffer, size, 0);
    }
    bool write(const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            const long n = ssl_ != nullptr
                               ? SSL_write(ssl_, data.data() + done, static_cast<int>(data.size() - done))
                               : ::send(socket_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

  private:
    int socket_;
    SSL* ssl_ = nullptr;
    bool failed_ = false;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool parse_head(const std::string& head, Request& request) {
    size_t line_end = head.find("\r\n");
    const std::string line = head.substr(0, line_end);
    const size_t first = line.find(' ');
    const size_t last = line.rfind(' ');
    if (first == std::string::npos || last == first) return false;
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, last - first - 1);
    while (line_end != std::string::npos && line_end + 2 < head.size()) {
        const size_t start = line_end + 2;
        line_end = head.find("\r\n", start);
        const std::string header =
            head.substr(start, line_end == std::string::npos ? std::string::npos : line_end - start);
        const size_t colon = header.find(':');
        if (colon == std::string::npos) continue;
        std::string value = header.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        request.headers[lower(header.substr(0, colon))] = value;
    }
    return true;
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        default:
            return "Status";
    }
}

void serve_connection(int socket, SSL_CTX* tls, const Handler& handler) {
    timeval timeout{10, 0};  // a silent client does not keep its thread forever
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    Connection connection(socket, tls);
    if (connection.failed()) return;

    std::string data;
    char buffer[8192];
    size_t head_end = std::string::npos;
    while ((head_end = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > max_head) return;
        const long n = connection.read(buffer, sizeof buffer);
        if (n <= 0) return;
        data.append(buffer, static_cast<size_t>(n));
    }
    Request request;
    Response response;
    if (!parse_head(data.substr(0, head_end + 2), request)) {
        response.status = 400;
    } else {
        const size_t length =
            std::min<size_t>(std::strtoul(request.header("content-length").c_str(), nullptr, 10), max_body);
        request.body = data.substr(head_end + 4);
        while (request.body.size() < length) {
            const long n = connection.read(buffer, sizeof buffer);
            if (n <= 0) break;
            request.body.append(buffer, static_cast<size_t>(n));
        }
        handler(request, response);
    }
    std::string reply =
        "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) + "\r\n";
    reply += "Content-Type: " + response.content_type + "\r\n";
    reply += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    for (const std::string& line : response.header_lines) reply += line + "\r\n";
    reply += "Connection: close\r\n\r\n";
    if (request.method != "HEAD") reply += response.body;
    connection.write(reply);
}

}  // namespace

std::string Request::header(const std::string& lower_case_name) const {
    const auto found = headers.find(lower_case_name);
    return found == headers.end() ? std::string() : found->second;
}

Server::Server(Handler handler, SSL_CTX* tls) : handler_(std::move(handler)), tls_(tls) {}

Server::~Server() {
    if (socket_ >= 0) close(socket_);
}

int Server::bind(int port) {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket_ < 0) return -1;
    const int yes = 1;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(socket_, 64) != 0) {
        return -1;
    }
    socklen_t size = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

void Server::serve() {
    for (;;) {
        const int client = accept(socket_, nullptr, nullptr);
        if (client < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // out of descriptors: wait
            continue;
        }
        std::thread(serve_connection, client, tls_, handler_).detach();
    }
}

}  // namespace demo
