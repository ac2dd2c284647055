// The version check against the version page on a loopback server, reached under the page's
// real address.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/addresses.h"
#include "tests/support/http_server.h"
#include "text/charset.h"
#include "update/version_check.h"

namespace {

using test_support::Reply;

// The main window as the check sees it; records what happens, in order. Texts in UTF-8.
class FakeMainWindow : public update::CheckView {
  public:
    explicit FakeMainWindow(bool answer_ok) : answer_ok_(answer_ok) {}

    text::Text current_version() override { return "v3.3.6"; }
    bool ask(const text::Text& question, const text::Text& title) override {
        events.push_back("ask " + text::gbk_to_utf8(title) + " | " + text::gbk_to_utf8(question));
        return answer_ok_;
    }
    void hide_main_window() override { events.push_back("hide"); }
    void open_update_window(const update::UpdateValues& values) override {
        events.push_back("open " + text::gbk_to_utf8(values.update_address) + " | " +
                         text::gbk_to_utf8(values.update_exe_name));
    }

    std::vector<std::string> events;

  private:
    bool answer_ok_;
};

struct Case {
    const char* name;
    test_support::Handler page;
    bool answer_ok;
    std::vector<std::string> events;
};

// The page's path on its host, as the program asks for it.
std::string page_path() {
    const std::string address = addresses::update_page;
    return address.substr(address.find('/', address.find("://") + 3));
}

const char* const newer_page = "<p>1：v3.3.7</p><p>2：http://update.example/x.bin</p><p>3：xinghe-3.3.7</p>";

test_support::Handler status_page(int status, std::string body) {
    return [status, body](const test_support::ReceivedRequest&) {
        Reply reply;
        reply.status = status;
        reply.body = body;
        return reply;
    };
}

TEST(VersionCheck, AsksOnlyWhenThePageNamesAnotherVersion) {
    const Case cases[] = {
        {"newer version, OK",
         test_support::gbk_page(newer_page),
         true,
         {"ask 发现新版本 | 发现新版本：v3.3.7，是否更新？", "hide",
          "open http://update.example/x.bin | xinghe-3.3.7"}},
        {"newer version, Cancel",
         test_support::gbk_page(newer_page),
         false,
         {"ask 发现新版本 | 发现新版本：v3.3.7，是否更新？"}},
        {"older version is offered too",
         test_support::gbk_page("<p>1：v3.3.5</p>"),
         false,
         {"ask 发现新版本 | 发现新版本：v3.3.5，是否更新？"}},
        {"same version", test_support::gbk_page("<p>1：v3.3.6</p><p>2：http://a/b</p><p>3：c</p>"), true, {}},
        {"spaces are part of the value",
         test_support::gbk_page("<p>1： v3.3.6</p>"),
         false,
         {"ask 发现新版本 | 发现新版本： v3.3.6，是否更新？"}},
        {"first marker anywhere, even inside 21：",
         test_support::gbk_page("<p>21：x</p><p>1：v3.3.6</p>"),
         false,
         {"ask 发现新版本 | 发现新版本：x，是否更新？"}},
        {"a UTF-8 page reads the same",
         test_support::utf8_page(newer_page, true),
         true,
         {"ask 发现新版本 | 发现新版本：v3.3.7，是否更新？", "hide",
          "open http://update.example/x.bin | xinghe-3.3.7"}},
        {"no version marker", test_support::gbk_page("<p>版本：v3.3.7</p>"), true, {}},
        {"empty version value", test_support::gbk_page("<p>1：</p><p>2：http://a/b</p>"), true, {}},
        {"error page naming a version", status_page(404, text::utf8_to_gbk(newer_page)), true, {}},
        {"server error", status_page(500, ""), true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::HttpServer server;
        server.on(page_path(), c.page);
        test_support::ConnectTo reach(test_support::host_port_of(addresses::update_page), server.port());

        FakeMainWindow window(c.answer_ok);
        update::check_for_update(window);
        EXPECT_EQ(window.events, c.events);
        // The page is asked for once, with a plain GET.
        ASSERT_EQ(server.request_count(), 1u);
        EXPECT_EQ(server.last_request().request_line, "GET " + page_path() + " HTTP/1.1");
    }
}

TEST(VersionCheck, APageThatCannotBeFetchedAsksNothing) {
    int closed_port = 0;
    {
        test_support::HttpServer gone;
        closed_port = gone.port();
    }
    test_support::ConnectTo reach(test_support::host_port_of(addresses::update_page), closed_port);
    FakeMainWindow window(true);
    update::check_for_update(window);
    EXPECT_TRUE(window.events.empty());
}

}  // namespace
