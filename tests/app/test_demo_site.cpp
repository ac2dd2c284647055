// The offline demo site as the program and its browser views meet it: hosts told apart by the
// Host header, player links taken exactly as sent, the proxy form, HTTPS, the version page.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/programs.h"
#include "text/charset.h"

namespace {

class DemoSite : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        site = new test_support::DemoSiteProcess(XINGHE_DEMO_SITE);
        http_port = site->http_port();
        https_port = site->https_port();
    }
    static void TearDownTestSuite() {
        delete site;
        site = nullptr;
    }

    // The whole reply to `request`, sent as it stands to the plain port.
    static std::string exchange(const std::string& request) {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(http_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        std::string reply;
        if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            send(s, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            for (ssize_t n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;)
                reply.append(buffer, static_cast<size_t>(n));
        }
        close(s);
        return reply;
    }
    static std::string get(const std::string& host, const std::string& target) {
        return exchange("GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n");
    }

    static test_support::DemoSiteProcess* site;
    static int http_port;
    static int https_port;
};

test_support::DemoSiteProcess* DemoSite::site = nullptr;
int DemoSite::http_port = 0;
int DemoSite::https_port = 0;

TEST_F(DemoSite, PlayersShowTheLinkTheyWereAskedToPlayAsItWasSent) {
    ASSERT_GT(http_port, 0);
    struct Case {
        const char* host;
        const char* target;
        const char* shown;  // as the page shows it, HTML-escaped
    };
    const Case cases[] = {
        {"cloud-player.example", "//uc_client/model/api.php?url=magnet:?xt=urn:btih:ABC&dn=a%20b",
         "magnet:?xt=urn:btih:ABC&amp;dn=a%20b"},
        {"cloud-player.example", "/play.php?url=ed2k://|file|a.avi|123|ABC|", "ed2k://|file|a.avi|123|ABC|"},
        {"hd-player.example", "/api/play.jsp?url=a_b%2Fc%20d%7Ee", "a_b%2Fc%20d%7Ee"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string reply = get(c.host, c.target);
        EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u) << reply.substr(0, 40);
        EXPECT_NE(reply.find(std::string("<code>") + c.shown + "</code>"), std::string::npos);
    }
}

TEST_F(DemoSite, AnswersByHostAndInTheProxyForm) {
    EXPECT_NE(get("live-tv.example", "/images/img/100/").find("200 OK"), std::string::npos);
    EXPECT_NE(exchange("GET http://live-tv.example/images/img/100/ HTTP/1.1\r\nHost: live-tv.example\r\n\r\n")
                  .find("200 OK"),
              std::string::npos);
    // The same path on another host, and a host nobody serves, are not found.
    EXPECT_NE(get("cloud-player.example", "/images/img/100/").find("404"), std::string::npos);
    EXPECT_NE(get("stranger.example", "/").find("404"), std::string::npos);
}

TEST_F(DemoSite, TheVersionPageNamesTheProgramsOwnVersionInGbk) {
    const std::string reply = get("update.example", "/xinghe/version.html");
    EXPECT_NE(reply.find("charset=gbk"), std::string::npos);
    EXPECT_NE(reply.find(text::utf8_to_gbk("1：v3.3.6</p>")), std::string::npos);
    EXPECT_NE(reply.find(text::utf8_to_gbk("3：")), std::string::npos);
}

TEST_F(DemoSite, ServesTheHttpsPlayerOverTls) {
    ASSERT_GT(https_port, 0);
    const std::string command =
        "curl -sk --max-time 10 --connect-to hd-player.example:443:127.0.0.1:" + std::to_string(https_port) +
        " 'https://hd-player.example/api/play.jsp?url=x_y'";
    FILE* output = popen(command.c_str(), "r");
    ASSERT_NE(output, nullptr);
    std::string page;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, output)) > 0;) page.append(buffer, n);
    pclose(output);
    EXPECT_NE(page.find("<code>x_y</code>"), std::string::npos);
}

}  // namespace
