#include "tests/support/socket_loop.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test_support::detail {

SocketLoop::SocketLoop(std::function<void(int fd)> serve) : serve_(std::move(serve)) {
    if (pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0) throw std::runtime_error("socket failed");
    const int yes = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listen_fd_, 64) != 0)
        throw std::runtime_error("bind/listen on 127.0.0.1 failed");
    socklen_t length = sizeof address;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { accept_loop(); });
}

SocketLoop::~SocketLoop() { stop(); }

void SocketLoop::stop() {
    if (stopping_.exchange(true)) return;
    const char byte = 1;
    (void)!write(wake_[1], &byte, 1);  // stays unread: every later poll sees it
    if (acceptor_.joinable()) acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (int fd : open_) shutdown(fd, SHUT_RDWR);
    }
    for (auto& thread : threads_) thread.join();
    close(listen_fd_);
    close(wake_[0]);
    close(wake_[1]);
}

void SocketLoop::accept_loop() {
    while (!stopping_) {
        if (!wait_for(listen_fd_, POLLIN)) return;
        const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(mutex_);
        open_.insert(fd);
        threads_.emplace_back([this, fd] {
            serve_(fd);
            {
                std::lock_guard inner(mutex_);
                open_.erase(fd);
            }
            close(fd);
        });
    }
}

bool SocketLoop::wait_for(int fd, short events) {
    pollfd fds[2] = {{fd, events, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        const int n = poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || fds[1].revents != 0) return false;
        return true;
    }
}

long SocketLoop::receive(int fd, char* buffer, std::size_t size) {
    for (;;) {
        if (!wait_for(fd, POLLIN)) return -1;
        const ssize_t n = recv(fd, buffer, size, MSG_DONTWAIT);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
    }
}

bool SocketLoop::send_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        if (!wait_for(fd, POLLOUT)) return false;
    }
    return true;
}

bool SocketLoop::pause(std::chrono::milliseconds duration) {
    pollfd wake{wake_[0], POLLIN, 0};
    const auto until = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return !stopping_;
        const int n = poll(&wake, 1, static_cast<int>(left.count()));
        if (n > 0) return false;
    }
}

void SocketLoop::hold(int fd) {
    char sink[4096];
    while (receive(fd, sink, sizeof sink) > 0) {
    }
}

bool read_request(SocketLoop& loop, int fd, std::string& pending, std::string& head, std::string& body) {
    char chunk[16384];
    std::size_t end;
    while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
        const long n = loop.receive(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        pending.append(chunk, static_cast<std::size_t>(n));
    }
    head = pending.substr(0, end);
    pending.erase(0, end + 4);

    std::size_t length = 0;
    bool expect_continue = false;
    std::size_t line_start = head.find("\r\n");
    while (line_start != std::string::npos) {
        line_start += 2;
        const std::size_t line_end = head.find("\r\n", line_start);
        const std::string line = head.substr(
            line_start, line_end == std::string::npos ? std::string::npos : line_end - line_start);
        std::string lower(line);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (lower.rfind("content-length:", 0) == 0) length = std::strtoull(line.c_str() + 15, nullptr, 10);
        if (lower.rfind("expect:", 0) == 0 && lower.find("100-continue") != std::string::npos)
            expect_continue = true;
        line_start = line_end;
    }
    if (expect_continue && pending.size() < length && !loop.send_all(fd, "HTTP/1.1 100 Continue\r\n\r\n"))
        return false;
    while (pending.size() < length) {
        const long n = loop.receive(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        pending.append(chunk, static_cast<std::size_t>(n));
    }
    body = pending.substr(0, length);
    pending.erase(0, length);
    return true;
}

}  // namespace test_support::detail
