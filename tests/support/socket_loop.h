#pragma once
// The listening socket, the connection threads and the stop signal shared by the loopback
// servers of http_server.h. Every wait here (reading, writing, pausing) ends when the loop is
// stopped, so a test never hangs on a server that is still "stalling".

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace test_support::detail {

class SocketLoop {
  public:
    // Binds 127.0.0.1 on a port the system picks and starts accepting; `serve` runs on a thread
    // of its own for each connection and closes nothing itself.
    explicit SocketLoop(std::function<void(int fd)> serve);
    ~SocketLoop();  // stop()
    SocketLoop(const SocketLoop&) = delete;
    SocketLoop& operator=(const SocketLoop&) = delete;

    int port() const { return port_; }
    // Ends every wait, closes every connection and joins every thread.
    void stop();
    bool stopping() const { return stopping_.load(); }

    // Some bytes from the connection: > 0 bytes read, 0 when the peer closed, -1 on an error
    // or a stop.
    long receive(int fd, char* buffer, std::size_t size);
    bool send_all(int fd, std::string_view bytes);
    // false when the loop was stopped before the time was up.
    bool pause(std::chrono::milliseconds duration);
    // Waits until the peer closes the connection or the loop stops; what it sends is dropped.
    void hold(int fd);

  private:
    void accept_loop();
    // Waits until `fd` is ready for `events` or the loop stops; false on a stop or an error.
    bool wait_for(int fd, short events);

    std::function<void(int)> serve_;
    int listen_fd_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::set<int> open_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

// Reads one request head (up to and without the empty line) and the body its Content-Length
// announces, from `pending` first and then the socket. Leaves what follows in `pending`.
// Answers "Expect: 100-continue" before reading the body. false when the connection ends first.
bool read_request(SocketLoop& loop, int fd, std::string& pending, std::string& head, std::string& body);

}  // namespace test_support::detail
