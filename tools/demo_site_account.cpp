// The forum's account side: the quick login, the registration page, and the promotion and
// credit pages, which show an account's values only to a visitor with a login cookie.
//
// One demo account: "demo" with the password "xinghe". The pages are GBK, as the forum's are.

#include <mutex>
#include <random>
#include <set>

#include "config/addresses.h"
#include "text/charset.h"
#include "tools/demo_site.h"

namespace demo {

namespace {

constexpr const char* demo_account = "demo";
constexpr const char* demo_password = "xinghe";
constexpr const char* session_cookie = "xh_demo_auth";

// Sessions handed out by logins; connections run on threads of their own.
std::mutex& sessions_mutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::set<std::string>& sessions() {
    static auto* issued = new std::set<std::string>;
    return *issued;
}

std::string new_session() {
    static std::random_device source;
    std::lock_guard lock(sessions_mutex());
    std::string token;
    for (int i = 0; i < 4; ++i) token += std::to_string(source());
    sessions().insert(token);
    return token;
}

bool logged_in(const Request& request) {
    const std::string cookies = request.header("cookie");
    const std::string key = std::string(session_cookie) + "=";
    std::lock_guard lock(sessions_mutex());
    for (size_t at = cookies.find(key); at != std::string::npos; at = cookies.find(key, at + 1)) {
        if (at != 0 && cookies[at - 1] != ' ' && cookies[at - 1] != ';') continue;
        const size_t start = at + key.size();
        if (sessions().count(cookies.substr(start, cookies.find(';', start) - start)) != 0) return true;
    }
    return false;
}

// A field of a form body, percent-decoded (GBK bytes, as the program sends them).
std::string form_field(const std::string& body, const std::string& name) {
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos) end = body.size();
        const std::string pair = body.substr(start, end - start);
        if (pair.rfind(name + "=", 0) == 0) return text::url_decode(pair.substr(name.size() + 1));
        start = end + 1;
    }
    return {};
}

void send_gbk_xml(Response& response, std::string_view inner_utf8) {
    response.content_type = "text/xml; charset=gbk";
    response.body = text::utf8_to_gbk("<?xml version=\"1.0\" encoding=\"gbk\"?>\n<root><![CDATA[" +
                                      std::string(inner_utf8) + "]]></root>");
}

void login(const Request& request, Response& response) {
    if (form_field(request.body, "username") != demo_account ||
        form_field(request.body, "password") != demo_password) {
        send_gbk_xml(response, "登录失败，您还可以尝试 4 次");
        return;
    }
    response.header_lines.push_back(std::string("Set-Cookie: ") + session_cookie + "=" + new_session() +
                                    "; path=/; HttpOnly");
    send_gbk_xml(response,
                 std::string("<script type=\"text/javascript\" reload=\"1\">window.location.href='") +
                     addresses::forum_base + "/forum.php';</script>");
}

const char* const please_log_in = "<h1>提示信息</h1><p>您需要先登录才能继续本操作。</p>";

void promotion(const Request& request, Response& response) {
    if (!logged_in(request)) {
        send_gbk_page(response, "提示信息", please_log_in);
        return;
    }
    const std::string link = std::string(addresses::forum_host) + "/?fromuid=1";
    send_gbk_page(response, "访问推广",
                  "<h1>访问推广</h1><p><a id=\"g_upgrade\" href=\"home.php?mod=spacecp&amp;ac=usergroup\" "
                  "onmouseover=\"showMenu(this, showUpgradeinfo)\">用户组:注册会员</a></p>"
                  "<p>推广链接：<input type=\"text\" size=\"60\" "
                  "onclick=\"setCopy(this.value, '推广链接复制成功');\" value=\"http://" +
                      link + "\" /></p>");
}

void credit(const Request& request, Response& response) {
    if (!logged_in(request)) {
        send_gbk_page(response, "提示信息", please_log_in);
        return;
    }
    send_gbk_page(response, "我的积分", "<h1>我的积分</h1><ul><li><em> 云币: </em>128&nbsp;枚</li></ul>");
}

}  // namespace

bool account_pages(const Request& request, Response& response) {
    const std::string target = request_target(request);
    if (request.method == "POST" && target.rfind("/member.php?mod=logging&action=login", 0) == 0) {
        login(request, response);
    } else if (target == "/member.php?mod=register") {
        send_gbk_page(response, "立即注册",
                      "<h1>立即注册</h1><p>演示论坛不开放注册，请用演示账号 demo 登录。</p>");
    } else if (target == "/home.php?mod=spacecp&ac=promotion") {
        promotion(request, response);
    } else if (target == "/home.php?mod=spacecp&ac=credit") {
        credit(request, response);
    } else {
        return false;
    }
    return true;
}

}  // namespace demo
