#include "platform/inet.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/http_server.h"

namespace inet = platform::inet;
using test_support::HttpServer;
using test_support::RawResponder;
using test_support::Reply;

namespace {

struct Body {
    std::string bytes;
    bool ok = true;  // false when a read failed
};

Body read_all(inet::Request& request, std::size_t piece = 1000) {
    Body body;
    std::vector<unsigned char> area(piece);
    for (;;) {
        const auto result = inet::read_piece(request, area);
        if (!result.ok) {
            body.ok = false;
            return body;
        }
        if (result.count == 0) return body;
        EXPECT_LE(result.count, piece);
        body.bytes.append(reinterpret_cast<const char*>(area.data()), result.count);
    }
}

inet::Internet session() { return *inet::open_internet("inet-test"); }

inet::Request get(std::string_view url, std::uint32_t flags = 0, std::string_view headers = {}) {
    return inet::open_url(session(), url, headers, flags);
}

// Shortens the stall limit for one test and puts the old limits back.
struct ShortStall {
    inet::TimeLimits saved = inet::time_limits();
    explicit ShortStall(std::chrono::milliseconds stall) { inet::set_time_limits({saved.connect, stall}); }
    ~ShortStall() { inet::set_time_limits(saved); }
};

TEST(Inet, RequestThroughConnectionSendsHeaderLinesAndBody) {
    HttpServer server;
    server.on("/form", test_support::page("done"));
    auto connection = inet::connect(session(), "127.0.0.1", server.port());
    ASSERT_TRUE(connection);
    auto request = inet::open_request(*connection, "POST", "/form?a=1 b", "HTTP/1.1", inet::flag_reload);
    ASSERT_TRUE(request);
    const std::string form = "x=1&y=2";
    ASSERT_TRUE(
        inet::send_request(request, "Accept: */*\r\n\r\nX-One: 1",
                           std::span(reinterpret_cast<const unsigned char*>(form.data()), form.size())));
    EXPECT_EQ(read_all(request).bytes, "done");
    EXPECT_EQ(inet::query_status(request), 200);

    const auto received = server.last_request();
    EXPECT_EQ(received.request_line, "POST /form?a=1%20b HTTP/1.1");
    EXPECT_EQ(received.body, form);
    EXPECT_EQ(received.header("User-Agent"), "inet-test");
    EXPECT_EQ(received.header("Accept"), "*/*");
    EXPECT_EQ(received.header("X-One"), "1");
    EXPECT_EQ(received.header_count("Accept"), 1);
    EXPECT_FALSE(received.header("Expect"));
}

TEST(Inet, ConnectRefusesHostsThatAreNotOne) {
    const auto internet = session();
    for (const char* host : {"", "example.org?q=1", "[", "user@host", "a b", "a/b"})
        EXPECT_FALSE(inet::connect(internet, host, 80)) << host;
    EXPECT_FALSE(inet::connect(internet, "a.example", 70000));
    EXPECT_TRUE(inet::connect(internet, "a.example", 0));
}

TEST(Inet, ReadsStreamAsBytesArriveAndNeverExceedTheAskedSize) {
    HttpServer server;
    // The rest of the body never comes: a read that waited for the whole body would stall.
    server.on("/slow", test_support::stall_after(std::string(5000, 'a'), 100000));
    ShortStall limit(std::chrono::milliseconds(1500));
    auto request = get(server.url("/slow"));
    ASSERT_TRUE(request);
    EXPECT_EQ(inet::query_content_length(request), 100000);
    std::vector<unsigned char> area(64);
    std::size_t got = 0;
    while (got < 5000) {
        const auto result = inet::read_piece(request, area);
        ASSERT_TRUE(result.ok);
        ASSERT_GT(result.count, 0u);
        ASSERT_LE(result.count, area.size());
        got += result.count;
    }
    // Then nothing arrives: the read ends as a failure instead of waiting for ever.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(inet::read_piece(request, area).ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(inet::query_error(request).empty());
}

TEST(Inet, SlowReaderOfAFastServerGetsEveryByteInOrder) {
    // The server outruns small reads by far, so the transfer pauses and resumes many times.
    HttpServer server;
    const std::size_t size = 6u << 20;
    server.on("/big", test_support::large_body(size));
    auto request = get(server.url("/big"));
    ASSERT_TRUE(request);
    const Body body = read_all(request, 1000);
    ASSERT_TRUE(body.ok);
    ASSERT_EQ(body.bytes.size(), size);
    for (std::size_t i = 0; i < size; ++i)
        ASSERT_EQ(static_cast<unsigned char>(body.bytes[i]), test_support::large_body_byte(i)) << "at " << i;
}

TEST(Inet, ServerThatNeverAnswersFailsTheOpenInBoundedTime) {
    RawResponder silent(std::string(), /*hold_open=*/true);
    ShortStall limit(std::chrono::milliseconds(1000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(get(silent.url("/")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(Inet, RawHeadersAreThoseOfTheFinalResponse) {
    HttpServer server;
    server.on("/final", test_support::set_cookies({"f=1; path=/final"}, "end"));
    server.on("/hop", server.redirect(302, "/final"));

    auto followed = get(server.url("/hop"));
    ASSERT_TRUE(followed);
    EXPECT_EQ(read_all(followed).bytes, "end");
    EXPECT_EQ(inet::query_raw_headers(followed),
              "HTTP/1.1 200 OK\r\nSet-Cookie: f=1; path=/final\r\nContent-Length: 3\r\n");
    EXPECT_EQ(inet::query_status(followed), 200);

    auto kept = get(server.url("/hop"), inet::flag_no_auto_redirect);
    ASSERT_TRUE(kept);
    EXPECT_EQ(read_all(kept).bytes, "moved");
    EXPECT_EQ(inet::query_raw_headers(kept),
              "HTTP/1.1 302 Found\r\nLocation: " + server.url("/final") + "\r\nContent-Length: 5\r\n");
}

TEST(Inet, RedirectLoopEndsAfterTenFollowedRedirects) {
    HttpServer server;
    server.on("/loop", server.redirect(302, "/loop"));
    auto request = get(server.url("/loop"));
    ASSERT_TRUE(request);
    EXPECT_FALSE(read_all(request).ok);
    EXPECT_EQ(server.request_count(), 11u);
    EXPECT_EQ(inet::query_status(request), 302);
}

TEST(Inet, LineEndsAreCrLfWhateverTheServerSent) {
    RawResponder odd("HTTP/1.1 200 OK\nX-A: 1\nContent-Length: 2\n\nhi");
    auto request = get(odd.url("/"));
    ASSERT_TRUE(request);
    EXPECT_EQ(read_all(request).bytes, "hi");
    EXPECT_EQ(inet::query_raw_headers(request), "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n");
}

TEST(Inet, BodyCutOffMidwayDeliversWhatCameThenFails) {
    HttpServer server;
    server.on("/cut", test_support::cut_body("half", 8));
    auto request = get(server.url("/cut"));
    ASSERT_TRUE(request);
    const Body body = read_all(request);
    EXPECT_EQ(body.bytes, "half");
    EXPECT_FALSE(body.ok);
}

TEST(Inet, ContentLengthIsReadFromTheResponse) {
    HttpServer server;
    server.on("/sized", test_support::page("12345"));
    server.on("/unsized", test_support::trickle("abc", 10, std::chrono::milliseconds(0)));
    auto sized = get(server.url("/sized"));
    auto unsized = get(server.url("/unsized"));
    EXPECT_EQ(inet::query_content_length(sized), 5);
    EXPECT_EQ(inet::query_content_length(unsized), std::nullopt);
    EXPECT_EQ(read_all(unsized).bytes, "abc");
}

TEST(Inet, NothingListeningMeansNoResponse) {
    int port;
    {
        HttpServer gone;
        port = gone.port();
    }
    EXPECT_FALSE(get("http://127.0.0.1:" + std::to_string(port) + "/"));
    auto connection = inet::connect(session(), "127.0.0.1", port);
    auto request = inet::open_request(*connection, "GET", "/", "HTTP/1.1", 0);
    EXPECT_FALSE(inet::send_request(request, ""));
    EXPECT_FALSE(inet::read_piece(request, std::span<unsigned char>()).ok);
    EXPECT_EQ(inet::query_raw_headers(request), std::nullopt);
}

TEST(Inet, OnlyHttpAddressesOpen) {
    for (const char* url : {"ftp://127.0.0.1/", "file:///etc/passwd", "127.0.0.1/"})
        EXPECT_FALSE(get(url)) << url;
}

TEST(Inet, ConnectToReachesAFixedAddressWithItsOwnHostHeader) {
    HttpServer server;
    server.on("/list", test_support::page("listing"));
    test_support::ConnectTo mapping("btsp.example:80", server.port());
    auto request = get("http://btsp.example/list?q=1");
    ASSERT_TRUE(request);
    EXPECT_EQ(read_all(request).bytes, "listing");
    EXPECT_EQ(server.last_request().header("Host"), "btsp.example");
    EXPECT_EQ(server.last_request().target, "/list?q=1");
}

TEST(Inet, ListedProxyCarriesHttpRequests) {
    HttpServer proxy;
    proxy.on("*", test_support::page("via proxy"));
    const auto internet = inet::open_internet("inet-test", inet::ProxyMode::listed,
                                              "http=127.0.0.1:" + std::to_string(proxy.port()));
    auto request = inet::open_url(*internet, "http://far.example/x", "", 0);
    ASSERT_TRUE(request);
    EXPECT_EQ(read_all(request).bytes, "via proxy");
    EXPECT_EQ(proxy.last_request().request_line, "GET http://far.example/x HTTP/1.1");
}

TEST(Inet, CookieStoreIsSharedByEveryRequestUnlessOneOptsOut) {
    HttpServer server;
    server.on("/set", test_support::set_cookies({"session=abc; path=/"}));
    server.on("/echo", test_support::cookie_echo());
    // A host of its own keeps this test's cookie away from every other test's requests.
    test_support::ConnectTo mapping("cookies.example:80", server.port());

    auto no_store = get("http://cookies.example/set", inet::flag_no_cookies);
    read_all(no_store);
    auto before = get("http://cookies.example/echo");
    EXPECT_EQ(read_all(before).bytes, "");

    auto set = get("http://cookies.example/set");
    read_all(set);
    auto connection = inet::connect(session(), "cookies.example", 80);
    auto later = inet::open_request(*connection, "GET", "/echo", "HTTP/1.0", 0);
    ASSERT_TRUE(inet::send_request(later, "Accept: */*\r\n\r\n"));
    EXPECT_EQ(read_all(later).bytes, "session=abc");
    EXPECT_EQ(server.last_request().version, "HTTP/1.0");

    auto opted_out = get("http://cookies.example/echo", inet::flag_no_cookies);
    EXPECT_EQ(read_all(opted_out).bytes, "");
}

}  // namespace
