// The demo site's forum met by the program's own login: the demo account gets its panel, a
// wrong password is refused, and the account pages keep their values from a visitor without
// the login cookie.

#include <string>

#include <gtest/gtest.h>

#include "account/forum.h"
#include "config/addresses.h"
#include "tests/account/forum_fixture.h"
#include "tests/support/programs.h"

namespace {

using account_test::gbk;
using account_test::RecordingView;

// The demo site as a child process, on a port of its choosing.
class DemoSite : public test_support::DemoSiteProcess {
  public:
    DemoSite() : DemoSiteProcess(XINGHE_DEMO_SITE) {}
    int port() const { return http_port(); }
};

text::Text page(const char* path) {
    return text::to_text(account::read_page(std::string(addresses::forum_base) + path));
}

TEST(DemoForum, DemoAccountLogsInAndTheOthersDoNot) {
    DemoSite site;
    ASSERT_GT(site.port(), 0);
    test_support::ConnectTo to_site(test_support::host_port_of(addresses::forum_base), site.port());

    // Without a login the pages hold none of the account's values.
    for (const char* path : {account::promotion_path, account::credit_path}) {
        const text::Text shown = page(path);
        EXPECT_NE(shown.find(gbk("先登录")), std::string::npos) << path;
        EXPECT_EQ(shown.find(gbk("云币: ")), std::string::npos) << path;
    }

    RecordingView view;
    view.texts["编辑框3"] = "demo";
    view.texts["编辑框1"] = "wrong";
    EXPECT_FALSE(account::forum_login(view));
    EXPECT_EQ(view.messages, std::vector<text::Text>{gbk("登录失败")});

    view.texts["编辑框1"] = "xinghe";
    EXPECT_TRUE(account::forum_login(view));
    EXPECT_EQ(view.texts["用户权限标签"], gbk("注册会员"));
    EXPECT_EQ(view.texts["用户金钱标签"], "128");
    EXPECT_EQ(view.texts["编辑框4"], std::string("http://") + addresses::forum_host + "/?fromuid=1");
    EXPECT_EQ(view.texts["用户ID标签"], "demo");
    EXPECT_EQ(view.shown, std::vector<std::string>{"图片框2"});
}

}  // namespace
