// Logging into a loopback forum at the program's own forum address, and the account panel
// filled from its pages.

#include "account/forum.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/account/forum_fixture.h"
#include "text/charset.h"
#include "text/text.h"

namespace {

using account_test::Forum;
using account_test::gbk;
using account_test::RecordingView;
using text::Text;

// The fields of a form body, each value percent-decoded.
std::multimap<std::string, Text> form_fields(const std::string& body) {
    std::multimap<std::string, Text> fields;
    for (const Text& pair : text::split_text(body, "&")) {
        const auto equals = pair.find('=');
        fields.emplace(pair.substr(0, equals),
                       equals == Text::npos ? "" : text::url_decode(pair.substr(equals + 1)));
    }
    return fields;
}

TEST(ForumLogin, SuccessFillsThePanelThenSaysSoAndShowsIt) {
    Forum forum;
    RecordingView view;
    view.texts["编辑框3"] = "demo";
    view.texts["编辑框1"] = "xinghe";

    EXPECT_TRUE(account::forum_login(view));

    const auto logins = forum.requests_for("/member.php");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].request_line, std::string("POST ") + account::login_path + " HTTP/1.1");
    EXPECT_EQ(logins[0].header("Host"), addresses::forum_host);
    EXPECT_EQ(logins[0].body,
              "fastloginfield=username&username=demo&password=xinghe&quickforward=yes&handlekey=ls");

    EXPECT_EQ(view.texts["用户权限标签"], gbk("注册会员"));
    EXPECT_EQ(view.texts["编辑框4"], "http://bbs.xinghe.example/?fromuid=42");
    EXPECT_EQ(view.texts["用户金钱标签"], "128");
    EXPECT_EQ(view.texts["用户ID标签"], "demo");
    EXPECT_EQ(view.writes,
              (std::vector<std::string>{"用户权限标签", "编辑框4", "用户金钱标签", "用户ID标签"}));
    EXPECT_EQ(view.messages, std::vector<Text>{gbk("登陆成功")});
    EXPECT_EQ(view.shown, std::vector<std::string>{"图片框2"});
}

TEST(ForumLogin, PageReadsAskAsPlainReadsAndCarryTheLoginCookie) {
    Forum forum;
    RecordingView view;
    ASSERT_TRUE(account::forum_login(view));

    const auto reads = forum.requests_for("/home.php");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].request_line, std::string("GET ") + account::promotion_path + " HTTP/1.0");
    EXPECT_EQ(reads[1].request_line, std::string("GET ") + account::credit_path + " HTTP/1.0");
    for (const auto& read : reads) {
        SCOPED_TRACE(read.target);
        EXPECT_EQ(read.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
        EXPECT_EQ(read.header_count("Accept"), 1);
        EXPECT_EQ(read.header("Accept"), "*/*");
        EXPECT_EQ(read.body, "");
        const std::string cookie = read.header("Cookie").value_or("");
        EXPECT_NE(cookie.find("xh_auth=" + forum.session()), std::string::npos) << cookie;
    }
}

TEST(ForumLogin, ReplyMarkersDecideTheOutcome) {
    struct Case {
        const char* name;
        std::string reply;
        bool success;
        std::vector<Text> messages;
    };
    const std::vector<Case> cases = {
        {"success",
         "<root><![CDATA[<script>window.location.href='forum.php';</script>]]></root>",
         true,
         {gbk("登陆成功")}},
        {"failure", "<root><![CDATA[登录失败，您还可以尝试 4 次]]></root>", false, {gbk("登录失败")}},
        {"both count as success", "登录失败 window.location.href", true, {gbk("登陆成功")}},
        {"neither says nothing", "<root><![CDATA[请输入验证码]]></root>", false, {}},
        {"the markers are exact in case", "WINDOW.LOCATION.HREF", false, {}},
        {"an empty reply says nothing", "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Forum forum;
        forum.set_login_reply(c.reply);
        RecordingView view;
        EXPECT_EQ(account::forum_login(view), c.success);
        EXPECT_EQ(view.messages, c.messages);
        EXPECT_EQ(view.shown.size(), c.success ? 1u : 0u);
        EXPECT_EQ(forum.requests_for("/home.php").size(), c.success ? 2u : 0u);
    }
}

TEST(ForumLogin, FailedLoginLeavesAnEarlierPanelAsItWas) {
    Forum forum;
    RecordingView view;
    ASSERT_TRUE(account::forum_login(view));
    const auto panel = view.texts;

    forum.set_pages(account_test::promotion_page("中级会员", "other.example/"),
                    account_test::credit_page("999"));
    forum.set_login_reply("登录失败");
    view.texts["编辑框3"] = "someone_else";
    EXPECT_FALSE(account::forum_login(view));

    for (const char* name : {"用户权限标签", "编辑框4", "用户金钱标签", "用户ID标签"})
        EXPECT_EQ(view.texts[name], panel.at(name)) << name;
    EXPECT_EQ(view.shown.size(), 1u);  // shown once, never hidden
    EXPECT_EQ(view.messages.back(), gbk("登录失败"));

    // A second success writes every value anew.
    forum.set_login_reply("window.location.href");
    EXPECT_TRUE(account::forum_login(view));
    EXPECT_EQ(view.texts["用户权限标签"], gbk("中级会员"));
    EXPECT_EQ(view.texts["编辑框4"], "http://other.example/");
    EXPECT_EQ(view.texts["用户金钱标签"], "999");
    EXPECT_EQ(view.texts["用户ID标签"], "someone_else");
}

TEST(ForumLogin, AccountIsSentTrimmedAndShownAsTyped) {
    struct Case {
        std::string typed;  // UTF-8
        std::string sent;
    };
    const std::vector<Case> cases = {
        {"  demo  ", "demo"},     {"\u3000demo\u3000 ", "demo"},  // full-width spaces too
        {"de mo", "de mo"},                                       // only the ends
        {"\tdemo", "\tdemo"},                                     // a tab is not a space
        {"论坛账号", "论坛账号"},                                 // the box as it starts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Forum forum;
        RecordingView view;
        view.texts["编辑框3"] = gbk(c.typed);
        ASSERT_TRUE(account::forum_login(view));
        const auto fields = form_fields(forum.requests_for("/member.php").at(0).body);
        EXPECT_EQ(fields.count("username"), 1u);
        EXPECT_EQ(fields.find("username")->second, gbk(c.sent));
        EXPECT_EQ(view.texts["用户ID标签"], gbk(c.typed));
    }
}

TEST(ForumLogin, PasswordCharactersArriveAsTyped) {
    const std::vector<std::string> passwords = {
        "a&b=c", "1+1=2", "100%", "p%41ss", "x&password=evil&username=root", "密码：汉字", "  pad ded  ",
    };
    for (const std::string& password : passwords) {
        SCOPED_TRACE(password);
        Forum forum;
        RecordingView view;
        view.texts["编辑框3"] = gbk("张三&x=1");
        view.texts["编辑框1"] = gbk(password);
        ASSERT_TRUE(account::forum_login(view));

        const auto fields = form_fields(forum.requests_for("/member.php").at(0).body);
        ASSERT_EQ(fields.size(), 5u);
        EXPECT_EQ(fields.find("password")->second, text::trim_both_ends(gbk(password)));
        EXPECT_EQ(fields.find("username")->second, gbk("张三&x=1"));
        EXPECT_EQ(fields.find("fastloginfield")->second, "username");
        EXPECT_EQ(fields.find("quickforward")->second, "yes");
        EXPECT_EQ(fields.find("handlekey")->second, "ls");
    }
}

TEST(ForumLogin, UnreachableForumIsToldToTheUser) {
    int closed_port;
    {
        test_support::HttpServer gone;
        closed_port = gone.port();
    }
    test_support::ConnectTo nowhere(test_support::host_port_of(addresses::forum_base), closed_port);
    RecordingView view;
    EXPECT_FALSE(account::forum_login(view));
    EXPECT_EQ(view.messages, std::vector<Text>{gbk("无法连接论坛，请检查网络后重试")});
    EXPECT_TRUE(view.shown.empty());
    EXPECT_TRUE(view.writes.empty());
}

TEST(ForumLogin, ChangedAccountPagesGiveEmptyValuesAfterASuccess) {
    Forum forum;
    forum.set_pages("<html>改版后的页面</html>", "<html>云币 128</html>");
    RecordingView view;
    view.texts["编辑框3"] = " demo ";
    EXPECT_TRUE(account::forum_login(view));
    EXPECT_EQ(view.texts["用户权限标签"], "");
    EXPECT_EQ(view.texts["编辑框4"], "http://");
    EXPECT_EQ(view.texts["用户金钱标签"], "");
    EXPECT_EQ(view.texts["用户ID标签"], " demo ");
    EXPECT_EQ(view.messages, std::vector<Text>{gbk("登陆成功")});
    EXPECT_EQ(view.shown, std::vector<std::string>{"图片框2"});
}

}  // namespace
