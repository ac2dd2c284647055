#pragma once
// A loopback forum reached at the program's fixed forum address, and a view of the account
// page that records what the logic did to it.

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "account/forum.h"
#include "config/addresses.h"
#include "tests/support/http_server.h"
#include "text/charset.h"

namespace account_test {

inline text::Text gbk(std::string_view utf8) { return text::utf8_to_gbk(utf8); }

// The three forum pages as the forum writes them (GBK, with the markers the page cuts by).
inline std::string promotion_page(std::string_view group, std::string_view link_host_path) {
    return std::string(
               "<html><body><ul><li><a id=\"g_upgrade\" href=\"home.php?mod=spacecp&amp;ac=usergroup\" "
               "onmouseover=\"showMenu(this, showUpgradeinfo)\">用户组:") +
           std::string(group) +
           "</a></li></ul><p><input type=\"text\" class=\"px\" "
           "onclick=\"setCopy(this.value, '推广链接复制成功');\" value=\"http://" +
           std::string(link_host_path) + "\" size=\"60\" /></p></body></html>";
}
inline std::string credit_page(std::string_view credit) {
    return "<html><body><ul class=\"creditl\"><li><em> 云币: </em>" + std::string(credit) +
           "&nbsp;枚</li></ul></body></html>";
}

// Answers the login with `login_reply` (UTF-8 here, GBK on the wire) and a session cookie of
// its own, and the two account pages with `promotion` and `credit`.
class Forum {
  public:
    Forum() : connect_to_(test_support::host_port_of(addresses::forum_base), server_.port()) {
        // Unique per forum: the process-wide cookie store outlives each test's server.
        session_ = "s" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        server_.on("/member.php", [this](const test_support::ReceivedRequest&) {
            std::lock_guard lock(mutex_);
            test_support::Reply reply;
            reply.header("Set-Cookie", "xh_auth=" + session_ + "; path=/; HttpOnly");
            reply.header("Content-Type", "text/xml; charset=gbk");
            reply.body = gbk(login_reply);
            return reply;
        });
        server_.on("/home.php", [this](const test_support::ReceivedRequest& request) {
            std::lock_guard lock(mutex_);
            test_support::Reply reply;
            reply.header("Content-Type", "text/html; charset=gbk");
            reply.body = gbk(request.target.find("ac=credit") != std::string::npos ? credit : promotion);
            return reply;
        });
    }

    void set_login_reply(std::string utf8) {
        std::lock_guard lock(mutex_);
        login_reply = std::move(utf8);
    }
    void set_pages(std::string promotion_utf8, std::string credit_utf8) {
        std::lock_guard lock(mutex_);
        promotion = std::move(promotion_utf8);
        credit = std::move(credit_utf8);
    }

    const std::string& session() const { return session_; }
    test_support::HttpServer& server() { return server_; }
    std::vector<test_support::ReceivedRequest> requests_for(std::string_view path) const {
        std::vector<test_support::ReceivedRequest> found;
        for (const auto& request : server_.requests())
            if (request.path == path) found.push_back(request);
        return found;
    }

  private:
    test_support::HttpServer server_;
    test_support::ConnectTo connect_to_;
    std::mutex mutex_;
    std::string session_;
    std::string login_reply = "<script type=\"text/javascript\">window.location.href='forum.php';</script>";
    std::string promotion = promotion_page("注册会员", "bbs.xinghe.example/?fromuid=42");
    std::string credit = credit_page("128");
};

// The account page as plain values: control texts by design name, what was shown, said,
// opened and copied, and every write in order.
struct RecordingView : account::AccountView {
    RecordingView() {
        texts["编辑框3"] = gbk("论坛账号");
        texts["编辑框1"] = "";
    }

    text::Text control_text(std::string_view name) override { return texts[std::string(name)]; }
    void set_control_text(std::string_view name, const text::Text& value) override {
        texts[std::string(name)] = value;
        writes.emplace_back(name);
    }
    void show_control(std::string_view name) override { shown.emplace_back(name); }
    void show_message(const text::Text& message) override { messages.push_back(message); }
    void open_in_browser(const text::Text& address) override { opened.push_back(address); }
    void put_on_clipboard(const text::Text& value) override { clipboard = value; }

    std::map<std::string, text::Text> texts;
    std::vector<std::string> writes;
    std::vector<std::string> shown;
    std::vector<text::Text> messages;
    std::vector<text::Text> opened;
    text::Text clipboard;
};

}  // namespace account_test
