// The demo site's side of the update: by default its version page offers nothing; asked for a
// newer version, it offers one whose download is a program for this machine.

#include <gtest/gtest.h>

#include "config/addresses.h"
#include "http/download.h"
#include "tests/support/http_server.h"
#include "tests/support/programs.h"
#include "tests/update/update_fixture.h"
#include "text/charset.h"
#include "update/install.h"
#include "update/version_check.h"

namespace {

using namespace update_test;

// The demo site as a child process, with or without the newer version on offer.
class DemoSite : public test_support::DemoSiteProcess {
    using Environment = std::vector<std::pair<std::string, std::string>>;

  public:
    explicit DemoSite(bool newer)
        : DemoSiteProcess(XINGHE_DEMO_SITE,
                          newer ? Environment{{"XINGHE_DEMO_NEWER_VERSION", "1"}} : Environment{}) {}
    int port() const { return http_port(); }
};

class ShowingVersion : public update::CheckView {
  public:
    text::Text current_version() override { return "v3.3.6"; }
    bool ask(const text::Text& question, const text::Text&) override {
        questions.push_back(text::gbk_to_utf8(question));
        return true;
    }
    void hide_main_window() override {}
    void open_update_window(const update::UpdateValues& values) override { accepted = values; }

    std::vector<std::string> questions;
    std::optional<update::UpdateValues> accepted;
};

TEST(DemoUpdate, OffersANewerProgramOnlyWhenAskedTo) {
    for (const bool newer : {false, true}) {
        SCOPED_TRACE(newer ? "newer version on offer" : "by default");
        DemoSite site(newer);
        ASSERT_GT(site.port(), 0);
        test_support::ConnectTo to_site(test_support::host_port_of(addresses::update_page), site.port());

        ShowingVersion window;
        update::check_for_update(window);
        if (!newer) {
            EXPECT_TRUE(window.questions.empty());
            continue;
        }
        EXPECT_EQ(window.questions, std::vector<std::string>{"发现新版本：v3.3.7，是否更新？"});
        ASSERT_TRUE(window.accepted.has_value());
        EXPECT_EQ(window.accepted->update_exe_name, "xinghe-v3.3.7");

        ProgramFolder folder;
        const std::string downloaded = (folder / "gx.tmp").string();
        ASSERT_EQ(http::http_download(window.accepted->update_address, downloaded, nullptr),
                  http::download_complete);
        EXPECT_TRUE(update::is_platform_executable(downloaded));
    }
}

}  // namespace
