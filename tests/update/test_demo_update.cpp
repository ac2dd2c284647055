// The demo site's side of the update: by default its version page offers nothing; asked for a
// newer version, it offers one whose download is a program for this machine.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "config/addresses.h"
#include "http/download.h"
#include "tests/support/http_server.h"
#include "tests/update/update_fixture.h"
#include "text/charset.h"
#include "update/install.h"
#include "update/version_check.h"

namespace {

using namespace update_test;

// The demo site as a child process, with or without the newer version on offer.
class DemoSite {
  public:
    explicit DemoSite(bool newer) {
        int out[2];
        if (pipe(out) != 0) return;
        child_ = fork();
        if (child_ == 0) {
            if (newer) setenv("XINGHE_DEMO_NEWER_VERSION", "1", 1);
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execl(XINGHE_DEMO_SITE, XINGHE_DEMO_SITE, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        FILE* lines = fdopen(out[0], "r");
        char line[128];
        while (port_ == 0 && fgets(line, sizeof line, lines) != nullptr)
            std::sscanf(line, "http 127.0.0.1:%d", &port_);
        fclose(lines);
    }
    ~DemoSite() {
        if (child_ <= 0) return;
        kill(child_, SIGTERM);
        waitpid(child_, nullptr, 0);
    }
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;
    int port() const { return port_; }

  private:
    pid_t child_ = -1;
    int port_ = 0;
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
