#include "http/request.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/inet.h"
#include "tests/support/http_server.h"
#include "text/charset.h"

using http::RequestOptions;
using test_support::HttpServer;
using test_support::RawResponder;
using test_support::Reply;

namespace {

RequestOptions with_url(std::string url) {
    RequestOptions options;
    options.url = std::move(url);
    return options;
}

std::string as_string(const text::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(WebRequest, OnlyUrlGivenSendsTheDefaultHeaderText) {
    HttpServer server;
    server.on("/search", test_support::page("results"));
    const std::string url = server.url("/search?kw=%E4%B8%AD");
    auto options = with_url(url);

    EXPECT_EQ(http::web_request_text(options), "results");

    const std::string expected_headers = "Referer: " + url +
                                         "\r\nAccept: */*\r\nAccept-Language: zh-cn"
                                         "\r\nContent-Type: application/x-www-form-urlencoded";
    EXPECT_EQ(options.headers, expected_headers);
    const auto received = server.last_request();
    EXPECT_EQ(received.request_line, "GET /search?kw=%E4%B8%AD HTTP/1.1");
    EXPECT_EQ(received.header_lines,
              (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(server.port()),
                                        std::string("User-Agent: ") + http::default_agent, "Referer: " + url,
                                        "Accept: */*", "Accept-Language: zh-cn",
                                        "Content-Type: application/x-www-form-urlencoded"}));
    EXPECT_EQ(received.body, "");
    EXPECT_FALSE(options.failed);
    EXPECT_EQ(options.status, 200);
}

TEST(WebRequest, CallersHeaderLinesDecideWhichDefaultsAreAdded) {
    struct Case {
        std::string headers;
        std::vector<std::string> expected_lines;  // after Host
    };
    HttpServer server;
    server.on("/", test_support::page("x"));
    const std::string url = server.url("/");
    const std::vector<Case> cases = {
        // The Referer search is exact in case, so a lower-case line gets the default beside it.
        {"referer: x",
         {std::string("User-Agent: ") + http::default_agent, "referer: x", "Referer: " + url, "Accept: */*",
          "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded"}},
        // A caller's agent line, in any case, is the one agent sent.
        {"user-agent: x\r\nReferer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: c",
         {"user-agent: x", "Referer: r", "Accept: a", "Accept-Language: l", "Content-Type: c"}},
        {"User-Agent: Foo",
         {"User-Agent: Foo", "Referer: " + url, "Accept: */*", "Accept-Language: zh-cn",
          "Content-Type: application/x-www-form-urlencoded"}},
    };
    for (const auto& c : cases) {
        auto options = with_url(url);
        options.headers = c.headers;
        http::web_request_text(options);
        auto lines = server.last_request().header_lines;
        ASSERT_FALSE(lines.empty());
        lines.erase(lines.begin());
        EXPECT_EQ(lines, c.expected_lines) << c.headers;
    }
}

TEST(WebRequest, BodyIsPostBytesElsePostText) {
    struct Case {
        int method;
        std::string post_bytes, post_text;
        std::string expected_line, expected_body, expected_post_bytes;
    };
    HttpServer server;
    server.on("/login", test_support::page("ok"));
    const std::vector<Case> cases = {
        {1, "b=2", "t=1", "POST /login HTTP/1.1", "b=2", "b=2"},
        {1, "", "user=\xD6\xD0&pw=a+b%", "POST /login HTTP/1.1", "user=\xD6\xD0&pw=a+b%",
         "user=\xD6\xD0&pw=a+b%"},
        {1, "", "", "POST /login HTTP/1.1", "", ""},
        // Any method but 0 and 1 asks with GET and still sends the body.
        {2, "", "q=1", "GET /login HTTP/1.1", "q=1", "q=1"},
        {0, "", "q=1", "GET /login HTTP/1.1", "", ""},
    };
    for (const auto& c : cases) {
        auto options = with_url(server.url("/login"));
        options.method = c.method;
        options.post_bytes = text::to_bytes(c.post_bytes);
        options.post_text = c.post_text;
        EXPECT_EQ(http::web_request_text(options), "ok");
        const auto received = server.last_request();
        EXPECT_EQ(received.request_line, c.expected_line) << c.method << c.post_text;
        EXPECT_EQ(received.body, c.expected_body) << c.method << c.post_text;
        EXPECT_EQ(as_string(options.post_bytes), c.expected_post_bytes) << c.method << c.post_text;
        if (c.method != 0) {
            EXPECT_EQ(received.header("Content-Length"), std::to_string(c.expected_body.size()));
        }
    }
}

TEST(WebRequest, ReceivedCookiesComeFromSetCookieLines) {
    struct Case {
        std::vector<std::string> set_cookie;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"a=1; path=/never"}, "a=1"},
        {{"a=1; path=/never", "b=2; path=/never"}, "a=1; b=2"},
        // A line without ";" gives an empty entry.
        {{"c=3"}, ""},
        {{"c=3", "d=4; path=/never"}, "; d=4"},
    };
    HttpServer server;
    test_support::ConnectTo mapping("cookie-lines.example:80", server.port());
    for (const auto& c : cases) {
        server.on("/set", test_support::set_cookies(c.set_cookie));
        auto options = with_url("http://cookie-lines.example/set");
        http::web_request_text(options);
        EXPECT_EQ(options.received_cookies, c.expected) << c.set_cookie.size();
    }
}

TEST(WebRequest, MergeCookies) {
    struct Case {
        std::string send, received;
        std::string merged, send_after, received_after;
    };
    const std::vector<Case> cases = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1", "b=3; a=1", "b=3;c=deleted"},
        {"a=1; a=1", "", "a=1", "a=1", ""},
        {"", "x=1; y=2", "x=1; y=2", "x=1; y=2", "x=1;y=2"},
        {"a=1; b=deleted", "", "a=1", "a=1", ""},
        // Names compare exactly; an entry without "=" is its own name.
        {"A=1; flag", "a=2; flag", "a=2; flag; A=1", "a=2; flag; A=1", "a=2;flag"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        text::Text send = c.send, received = c.received;
        EXPECT_EQ(http::merge_cookies(send, received), c.merged) << c.send << " + " << c.received;
        EXPECT_EQ(send, c.send_after);
        EXPECT_EQ(received, c.received_after);
    }
    EXPECT_EQ(http::cookie_name(" sid = 5 "), "sid");
    EXPECT_EQ(http::cookie_name(" flag "), "flag");
}

TEST(WebRequest, GivenCookiesAreSentAndMergedInsteadOfTheStore) {
    HttpServer server;
    server.on("/set", test_support::set_cookies({"stored=1; path=/"}));
    server.on("/echo", [](const test_support::ReceivedRequest& request) {
        Reply reply;
        reply.header("Set-Cookie", "b=3; path=/");
        reply.body = request.header("Cookie").value_or("(none)");
        return reply;
    });
    test_support::ConnectTo mapping("given-cookies.example:80", server.port());
    auto first = with_url("http://given-cookies.example/set");
    http::web_request_text(first);

    auto options = with_url("http://given-cookies.example/echo");
    options.send_cookies = "a=1; b=2";
    options.send_cookies_given = true;
    // The stored cookie stays out: the caller's cookie text is the whole of it.
    EXPECT_EQ(http::web_request_text(options), "a=1; b=2");
    EXPECT_EQ(server.last_request().header_count("Cookie"), 1);
    EXPECT_EQ(options.received_cookies, "b=3");
    EXPECT_EQ(options.send_cookies, "b=3; a=1");
}

TEST(WebRequest, ProcessWideStoreSendsCookiesSetByEarlierResponses) {
    HttpServer server;
    server.on("/login", test_support::set_cookies({"auth=xyz; path=/"}));
    server.on("/echo", test_support::cookie_echo());
    test_support::ConnectTo mapping("store.example:80", server.port());
    auto before = with_url("http://store.example/echo");
    EXPECT_EQ(http::web_request_text(before), "");
    auto login = with_url("http://store.example/login");
    login.method = 1;
    login.post_text = "u=1";
    http::web_request_bytes(login);
    auto after = with_url("http://store.example/echo");
    EXPECT_EQ(http::web_request_text(after), "auth=xyz");
}

TEST(WebRequest, LocationIsTheLocationValueElseTheRawHeaders) {
    HttpServer server;
    server.on("/plain", test_support::page("p"));
    server.on("/content", [](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.header("Content-Location", "/alt");
        reply.body = "c";
        return reply;
    });
    auto plain = with_url(server.url("/plain"));
    http::web_request_text(plain);
    EXPECT_EQ(plain.raw_headers, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1\r\n");
    EXPECT_EQ(plain.location, plain.raw_headers);

    auto kept = with_url(server.url("/plain"));
    kept.location = "earlier";
    http::web_request_text(kept);
    EXPECT_EQ(kept.location, "earlier");

    auto content = with_url(server.url("/content"));
    http::web_request_text(content);
    EXPECT_EQ(content.location, "/alt");
}

TEST(WebRequest, MovedPermanentlyIsAskedAgainWithTheOldPathAppended) {
    HttpServer server;
    server.on("/old", [](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.status = 301;
        reply.header("Location", "http://example.net/new");
        return reply;
    });
    server.on("/new/old", test_support::page("arrived"));
    test_support::ConnectTo mapping(std::vector<std::string>{"example.com:80", "example.net:80"},
                                    server.port());

    auto options = with_url("http://example.com/old?x=1");
    options.no_redirect = true;
    options.send_cookies = "s=1";
    options.send_cookies_given = true;
    EXPECT_EQ(http::web_request_text(options), "arrived");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/new/old?x=1");
    EXPECT_EQ(requests[1].header("Host"), "example.net");
    // The defaults from the first request are not added twice; the Cookie line is.
    EXPECT_EQ(requests[1].header_count("Referer"), 1);
    EXPECT_EQ(requests[1].header("Referer"), "http://example.com/old?x=1");
    EXPECT_EQ(requests[1].header_count("Cookie"), 2);
    EXPECT_EQ(options.status, 200);
    EXPECT_EQ(options.location, options.raw_headers);
}

TEST(WebRequest, OnlyHttp11MovedIsFollowedByTheEngine) {
    for (const std::string status_line : {"HTTP/1.0 301 Moved Permanently", "HTTP/1.1 302 Found"}) {
        RawResponder server(status_line + "\r\nLocation: /elsewhere\r\nContent-Length: 4\r\n\r\nhere");
        auto options = with_url(server.url("/start"));
        options.no_redirect = true;
        EXPECT_EQ(http::web_request_text(options), "here") << status_line;
        EXPECT_EQ(server.received().size(), 1u) << status_line;
        EXPECT_EQ(options.location, "/elsewhere");
    }
}

TEST(WebRequest, EndlessMovedAnswersStopAfterTenRequestsMore) {
    HttpServer server;
    server.on("*", [&server](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.status = 301;
        reply.header("Location", server.base());
        reply.body = "still moving";
        return reply;
    });
    auto options = with_url(server.url("/a"));
    options.no_redirect = true;
    EXPECT_EQ(http::web_request_text(options), "still moving");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u + http::max_moved_requests);
    EXPECT_EQ(requests.back().path, "/a");
    EXPECT_EQ(options.status, 301);
    EXPECT_EQ(options.location, server.base());
}

TEST(WebRequest, RawHeadersOverTheAreaBecomeSpaces) {
    // The area holds 5000 bytes with the terminating NUL, so 4999 bytes of headers fit.
    auto headers_of_size = [](std::size_t size) {
        std::string head =
            "HTTP/1.1 200 OK\r\nSet-Cookie: big=1; path=/never\r\nContent-Length: 4\r\nX-Pad: ";
        head += std::string(size - head.size() - 2, 'p') + "\r\n";
        return head;
    };
    for (std::size_t size : {4999u, 5000u, 20000u}) {
        const std::string head = headers_of_size(size);
        ASSERT_EQ(head.size(), size);
        RawResponder server(head + "\r\nbody");
        auto options = with_url(server.url("/"));
        EXPECT_EQ(http::web_request_text(options), "body") << size;
        if (size <= 4999) {
            EXPECT_EQ(options.raw_headers, head);
            EXPECT_EQ(options.received_cookies, "big=1");
        } else {
            EXPECT_EQ(options.raw_headers, std::string(5000, ' ')) << size;
            EXPECT_EQ(options.location, std::string(5000, ' '));
            EXPECT_EQ(options.received_cookies, "");
        }
    }
}

TEST(WebRequest, Utf8PagesAreConvertedToGbk) {
    struct Case {
        std::string name;
        std::string body;
        std::string content_type;
        bool converted;
    };
    const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文 in UTF-8
    const std::vector<Case> cases = {
        {"meta near the start", "<meta charset=utf-8>" + chinese, "text/html", true},
        {"upper case in the body only", "<meta charset=UTF-8>" + chinese, "text/html", false},
        {"upper case body, header says so", "<meta charset=UTF-8>" + chinese, "text/html; charset=UTF-8",
         true},
        {"mark begins at 499", std::string(498, ' ') + "utf-8" + chinese, "text/html", true},
        {"mark begins at 500", std::string(499, ' ') + "utf-8" + chinese, "text/html", false},
        {"no mark", chinese, "text/html", false},
    };
    HttpServer server;
    for (const auto& c : cases) {
        server.on("/page", test_support::page(c.body, c.content_type));
        auto options = with_url(server.url("/page"));
        const std::string expected = c.converted ? text::utf8_to_gbk(c.body) : c.body;
        EXPECT_EQ(http::web_request_text(options), expected) << c.name;
    }
}

TEST(WebRequest, NulInsideTheBodyEndsOnlyTheText) {
    HttpServer server;
    server.on("/nul", test_support::page(std::string("ab\0cd", 5), "application/octet-stream"));
    auto as_text = with_url(server.url("/nul"));
    auto as_bytes = with_url(server.url("/nul"));
    EXPECT_EQ(http::web_request_text(as_text), "ab");
    EXPECT_EQ(as_string(http::web_request_bytes(as_bytes)), std::string("ab\0cd", 5));
}

TEST(WebRequest, FailuresGiveTheEmptyResultAndSayTheyFailed) {
    int closed_port;
    {
        HttpServer gone;
        closed_port = gone.port();
    }
    // No connection can be made for an address without a host: nothing is touched.
    auto hostless = with_url("http:///x");
    hostless.headers = "X-A: 1";
    hostless.location = "before";
    EXPECT_EQ(http::web_request_bytes(hostless), text::Bytes());
    EXPECT_TRUE(hostless.failed);
    EXPECT_EQ(hostless.headers, "X-A: 1");
    EXPECT_EQ(hostless.location, "before");
    EXPECT_EQ(hostless.raw_headers, "");

    // Nobody answers: the header query gives nothing, so the area's spaces remain.
    auto refused = with_url("http://127.0.0.1:" + std::to_string(closed_port) + "/");
    EXPECT_EQ(http::web_request_text(refused), "");
    EXPECT_TRUE(refused.failed);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.raw_headers, std::string(5000, ' '));
    EXPECT_EQ(refused.location, std::string(5000, ' '));

    // A body cut off midway keeps what came.
    HttpServer server;
    server.on("/cut", test_support::cut_body("partial", 100));
    server.on("/missing", [](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.status = 404;
        reply.body = "no such page";
        return reply;
    });
    auto cut = with_url(server.url("/cut"));
    EXPECT_EQ(http::web_request_text(cut), "partial");
    EXPECT_TRUE(cut.failed);
    EXPECT_EQ(cut.status, 200);

    // An error status is an answer like any other.
    auto missing = with_url(server.url("/missing"));
    EXPECT_EQ(http::web_request_text(missing), "no such page");
    EXPECT_FALSE(missing.failed);
    EXPECT_EQ(missing.status, 404);
}

TEST(WebRequest, StalledServerEndsTheCallInBoundedTime) {
    HttpServer server;
    server.on("/stall", test_support::stall_after("begun", 1000));
    const auto saved = platform::inet::time_limits();
    platform::inet::set_time_limits({saved.connect, std::chrono::milliseconds(1000)});
    auto options = with_url(server.url("/stall"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(http::web_request_text(options), "begun");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    platform::inet::set_time_limits(saved);
    EXPECT_TRUE(options.failed);
}

TEST(WebRequest, GivenProxyCarriesTheRequest) {
    HttpServer proxy;
    proxy.on("*", test_support::page("proxied"));
    auto options = with_url("http://btsp.example/list");
    options.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    options.proxy_given = true;
    EXPECT_EQ(http::web_request_text(options), "proxied");
    EXPECT_EQ(proxy.last_request().request_line, "GET http://btsp.example/list HTTP/1.1");
}

}  // namespace
