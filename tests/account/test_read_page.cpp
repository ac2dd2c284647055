// The plain page read: whole bodies whatever their size and framing, what came before a
// failure, and nothing for an address it does not read.

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "account/forum.h"
#include "platform/inet.h"
#include "tests/support/http_server.h"

namespace {

using namespace std::chrono_literals;
using test_support::HttpServer;

std::string as_string(const text::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string pattern(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 23);
    return body;
}

TEST(ReadPage, BodiesArriveWholeAndInOrder) {
    struct Case {
        const char* name;
        std::string body;
        test_support::Handler handler;
    };
    // Around the piece sizes: the declared length plus one, at most 102400, else 10240.
    const std::vector<Case> cases = {
        {"short with a length", "<html>ok</html>", test_support::page("<html>ok</html>")},
        {"one byte", "x", test_support::page("x")},
        {"just above the largest piece", pattern(102401), test_support::page(pattern(102401))},
        {"several largest pieces", pattern(350000), test_support::page(pattern(350000))},
        {"no length, trickled", pattern(25000), test_support::trickle(pattern(25000), 4000, 5ms)},
        {"no length, above the unknown-length piece", pattern(10241),
         test_support::trickle(pattern(10241), 10241, 0ms)},
        {"zero bytes inside", std::string("a\0b\0c", 5), test_support::page(std::string("a\0b\0c", 5))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpServer server;
        server.on("/p", c.handler);
        EXPECT_EQ(as_string(account::read_page(server.url("/p?a=1"))), c.body);
        EXPECT_EQ(server.last_request().target, "/p?a=1");
    }
}

TEST(ReadPage, WhatCameBeforeAFailureIsTheResult) {
    HttpServer server;
    server.on("/cut", test_support::cut_body("first half", 100));
    server.on("/stall", test_support::stall_after("begun", 1000));
    EXPECT_EQ(as_string(account::read_page(server.url("/cut"))), "first half");

    const auto saved = platform::inet::time_limits();
    platform::inet::set_time_limits({saved.connect, 500ms});
    EXPECT_EQ(as_string(account::read_page(server.url("/stall"))), "begun");
    platform::inet::set_time_limits(saved);
}

TEST(ReadPage, OnlyHttpAddressesAreRead) {
    HttpServer server;
    server.on("*", test_support::page("answer"));
    const std::string host_port = "127.0.0.1:" + std::to_string(server.port());
    const std::vector<std::string> unread = {"ftp://" + host_port + "/", host_port + "/", "",
                                             "file:///etc/hostname"};
    for (const std::string& address : unread) {
        EXPECT_TRUE(account::read_page(address).empty()) << address;
    }
    EXPECT_EQ(server.request_count(), 0u);
    EXPECT_EQ(as_string(account::read_page("HTTP://" + host_port + "/")), "answer");

    int closed_port;
    {
        HttpServer gone;
        closed_port = gone.port();
    }
    EXPECT_TRUE(account::read_page("http://127.0.0.1:" + std::to_string(closed_port) + "/").empty());
}

}  // namespace
