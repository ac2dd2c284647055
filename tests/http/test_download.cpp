#include "http/download.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "http/request.h"
#include "platform/inet.h"
#include "tests/support/http_server.h"

using test_support::HttpServer;
using test_support::Reply;

namespace {

namespace fs = std::filesystem;

struct Report {
    std::int32_t total_length, bytes_done, elapsed_ms, bytes_this_run;
};

// Records progress reports and failure messages; the handler returns, so http_download does too.
class DownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("xinghe-download-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        previous_ =
            http::set_download_failure_handler([this](const text::Text& m) { messages.push_back(m); });
    }
    void TearDown() override {
        http::set_download_failure_handler(previous_);
        fs::remove_all(dir_);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    http::DownloadProgress recorder() {
        return [this](std::int32_t total, std::int32_t done, std::int32_t elapsed, std::int32_t this_run) {
            reports.push_back({total, done, elapsed, this_run});
        };
    }

    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    static void write(const std::string& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    std::vector<Report> reports;
    std::vector<text::Text> messages;

  private:
    fs::path dir_;
    http::DownloadFailureHandler previous_;
};

std::string numbered(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return bytes;
}

TEST_F(DownloadTest, FreshDownloadReportsEachPieceAndSendsTheFixedHeaders) {
    HttpServer server;
    const std::string body = numbered(2 * 10240 + 4520);
    server.on("/new.exe", test_support::page(body, "application/octet-stream"));
    const std::string file = path("gx.tmp");
    write(file, "older and longer content that must go away entirely");

    EXPECT_EQ(http::http_download(server.url("/new.exe"), file, recorder()), http::download_complete);

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(contents(file), body);
    ASSERT_EQ(reports.size(), 3u);
    const std::int32_t expected_done[] = {10240, 20480, 25000};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(reports[i].total_length, 25000);
        EXPECT_EQ(reports[i].bytes_done, expected_done[i]);
        EXPECT_EQ(reports[i].bytes_this_run, expected_done[i]);
        EXPECT_GE(reports[i].elapsed_ms, 1);  // a piece within the first millisecond reports 10
    }
    const auto received = server.last_request();
    EXPECT_EQ(received.request_line, "GET /new.exe HTTP/1.1");
    EXPECT_EQ(
        received.header_lines,
        (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(server.port()), "Accept: */*",
                                  "Accept-Language: zh-cn", "Accept-Encoding: gzip, deflate",
                                  "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET "
                                  "CLR 1.1.4322)"}));
}

TEST_F(DownloadTest, ResumedDownloadAsksForTheRestAndAppendsIt) {
    HttpServer server;
    const std::string whole = numbered(3000);
    server.on("/ranged", test_support::range_file(whole));
    server.on("/whole", test_support::page(whole));

    const std::string file = path("part");
    write(file, whole.substr(0, 1000));
    EXPECT_EQ(http::http_download(server.url("/ranged"), file, recorder(), 1000, true),
              http::download_complete);
    EXPECT_EQ(server.last_request().header_lines.back(), "Range:bytes=1000-");
    EXPECT_EQ(contents(file), whole);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().total_length, 2000);  // the length of the answer, not of the file
    EXPECT_GT(reports.front().bytes_done, 1000);
    EXPECT_EQ(reports.front().bytes_this_run, reports.front().bytes_done - 1000);
    EXPECT_EQ(reports.back().bytes_done, 3000);
    EXPECT_EQ(reports.back().bytes_this_run, 2000);

    // A server that ignores the range sends everything, and everything is appended.
    const std::string ignored = path("ignored");
    write(ignored, "HEAD");
    EXPECT_EQ(http::http_download(server.url("/whole"), ignored, nullptr, 4, true), http::download_complete);
    EXPECT_EQ(contents(ignored), "HEAD" + whole);

    // A missing file is created.
    const std::string missing = path("missing");
    EXPECT_EQ(http::http_download(server.url("/ranged"), missing, nullptr, 2990, true),
              http::download_complete);
    EXPECT_EQ(contents(missing), whole.substr(2990));
    EXPECT_TRUE(messages.empty());
}

TEST_F(DownloadTest, EmptyBodyCreatesOrLeavesTheFileWithoutProgress) {
    HttpServer server;
    server.on("/empty", test_support::page(""));
    const std::string fresh = path("fresh");
    write(fresh, "old");
    EXPECT_EQ(http::http_download(server.url("/empty"), fresh, recorder()), http::download_complete);
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_EQ(contents(fresh), "");

    const std::string resumed = path("resumed");
    write(resumed, "kept");
    EXPECT_EQ(http::http_download(server.url("/empty"), resumed, recorder(), 4, true),
              http::download_complete);
    EXPECT_EQ(contents(resumed), "kept");
    EXPECT_TRUE(reports.empty());
}

TEST_F(DownloadTest, BodyWithoutLengthReportsTotalZero) {
    HttpServer server;
    const std::string body = numbered(30000);
    server.on("/unsized", test_support::trickle(body, 12000, std::chrono::milliseconds(5)));
    const std::string file = path("unsized");
    EXPECT_EQ(http::http_download(server.url("/unsized"), file, recorder()), http::download_complete);
    EXPECT_EQ(contents(file), body);
    ASSERT_GE(reports.size(), 3u);
    for (const auto& report : reports) {
        EXPECT_EQ(report.total_length, 0);
        EXPECT_LE(report.bytes_this_run, 30000);
    }
    EXPECT_EQ(reports.back().bytes_done, 30000);
}

TEST_F(DownloadTest, CompressedBodyIsWrittenAsItCame) {
    HttpServer server;
    const std::string compressed("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03not really deflated", 30);
    server.on("/gz", [compressed](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.header("Content-Encoding", "gzip");
        reply.body = compressed;
        return reply;
    });
    const std::string file = path("gz");
    EXPECT_EQ(http::http_download(server.url("/gz"), file, nullptr), http::download_complete);
    EXPECT_EQ(contents(file), compressed);
}

TEST_F(DownloadTest, FailuresHandTheirMessageToTheHandler) {
    int closed_port;
    {
        HttpServer gone;
        closed_port = gone.port();
    }
    HttpServer server;
    server.on("/ok", test_support::page("fine"));
    server.on("/cut", test_support::cut_body("begun", 50000));
    server.on("/error", [](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.status = 404;
        reply.body = "<html>not found</html>";
        return reply;
    });
    struct Case {
        std::string name, url, file;
        text::Text message;
        std::string file_after;  // "-" for a file that must not exist
    };
    const std::vector<Case> cases = {
        {"nothing listening", "http://127.0.0.1:" + std::to_string(closed_port) + "/x", path("a"),
         http::message_cannot_open_url(), "-"},
        {"not an http address", "ftp://127.0.0.1/x", path("b"), http::message_cannot_open_url(), "-"},
        // An error page must not end up as the downloaded program.
        {"error status", server.url("/error"), path("c"), http::message_cannot_open_url(), "-"},
        {"file cannot be opened", server.url("/ok"), path("no-such-dir/d"), http::message_cannot_open_file(),
         "-"},
        {"body cut off", server.url("/cut"), path("e"), http::message_read_error(), "begun"},
        // A write that fails would otherwise leave a short file that looks complete.
        {"disk full", server.url("/ok"), "/dev/full", http::message_read_error(), ""},
    };
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_EQ(http::http_download(c.url, c.file, nullptr), http::download_failed) << c.name;
        EXPECT_EQ(messages, std::vector<text::Text>{c.message}) << c.name;
        if (c.file_after == "-") {
            EXPECT_FALSE(fs::exists(c.file)) << c.name;
        } else if (!c.file_after.empty()) {
            EXPECT_EQ(contents(c.file), c.file_after) << c.name;
        }
    }
}

TEST_F(DownloadTest, StalledServerEndsAsAReadErrorInBoundedTime) {
    HttpServer server;
    server.on("/stall", test_support::stall_after("part", 100000));
    const auto saved = platform::inet::time_limits();
    platform::inet::set_time_limits({saved.connect, std::chrono::milliseconds(1000)});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(http::http_download(server.url("/stall"), path("stall"), recorder()), http::download_failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    platform::inet::set_time_limits(saved);
    EXPECT_EQ(messages, std::vector<text::Text>{http::message_read_error()});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].bytes_done, 4);
}

TEST_F(DownloadTest, CookiesFromTheRequestEngineAreSentWithTheDownload) {
    HttpServer server;
    server.on("/login", test_support::set_cookies({"member=7; path=/"}));
    server.on("/file", test_support::cookie_echo());
    test_support::ConnectTo mapping("update-cookies.example:80", server.port());
    http::RequestOptions login;
    login.url = "http://update-cookies.example/login";
    http::web_request_text(login);
    const std::string file = path("echo");
    EXPECT_EQ(http::http_download("http://update-cookies.example/file", file, nullptr),
              http::download_complete);
    EXPECT_EQ(contents(file), "member=7");
}

TEST(DownloadDefaultHandler, FailureEndsTheProgramWithExitCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(http::http_download("ftp://127.0.0.1/x", "/tmp/unused", nullptr),
                ::testing::ExitedWithCode(0), "");
}

}  // namespace
