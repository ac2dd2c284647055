// The whole update as the user meets it: the program (with the real main window, version
// check, update window and installation) runs in a temporary program folder against a
// loopback server that answers for the version page's real host. Its message boxes are
// answered from the environment; what it showed comes back through its log (see
// update_program.cpp), what it did through its exit code and the files in the folder.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#include "config/addresses.h"
#include "tests/support/http_server.h"
#include "tests/update/update_fixture.h"

extern char** environ;

namespace {

using namespace update_test;
using Line = std::vector<std::string>;

std::string page_path() {
    const std::string address = addresses::update_page;
    return address.substr(address.find('/', address.find("://") + 3));
}

struct Finished {
    int exit_code = -1;
    std::vector<Line> log;

    std::vector<Line> lines(const std::string& kind) const {
        std::vector<Line> found;
        for (const Line& line : log)
            if (!line.empty() && line[0] == kind) found.push_back(line);
        return found;
    }
    // The distinct captions of 标签_已完成百分比, in the order they were shown.
    std::vector<std::string> percentage_captions() const {
        std::vector<std::string> captions;
        for (const Line& state : lines("state"))
            if (captions.empty() || captions.back() != state.at(2)) captions.push_back(state.at(2));
        return captions;
    }
};

const Line version_question_ok{"box", "发现新版本", "发现新版本：v3.3.7，是否更新？", "ok"};
const std::string countdown_3 = "更新完毕，等待3秒自动运行新版本……";
const std::string countdown_2 = "更新完毕，等待2秒自动运行新版本……";
const std::string countdown_1 = "更新完毕，等待1秒自动运行新版本……";

class UpdateProgramTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::copy_file(XINGHE_UPDATE_PROGRAM, old_program());
        fs::copy_file(fs::path(XINGHE_BUILD_DIR) / "peizhi.ini", folder / "peizhi.ini");
        reach.emplace(test_support::host_port_of(addresses::update_page), server.port());
    }
    void TearDown() override { fs::remove(log_path()); }

    fs::path old_program() const { return folder / "xinghe"; }
    fs::path log_path() const { return folder.path().string() + ".log"; }

    void serve(const std::string& version, const std::string& name, test_support::Handler download) {
        server.on(page_path(), test_support::gbk_page(
                                   "<p>1：" + version +
                                   "</p><p>2：http://update.example/download/new</p><p>3：" + name + "</p>"));
        server.on("/download/new", std::move(download));
    }

    Finished run(const std::string& answers, const std::string& close = "", int run_ms = 60000) {
        std::vector<std::string> settings{"XINGHE_TEST_LOG=" + log_path().string(),
                                          "XINGHE_TEST_ANSWERS=" + answers,
                                          "XINGHE_TEST_RUN_MS=" + std::to_string(run_ms)};
        if (!close.empty()) settings.push_back("XINGHE_TEST_CLOSE=" + close);
        std::vector<char*> environment;
        for (char** entry = environ; *entry != nullptr; ++entry)
            if (std::string(*entry).rfind("XINGHE_TEST_", 0) != 0) environment.push_back(*entry);
        for (std::string& setting : settings) environment.push_back(setting.data());
        environment.push_back(nullptr);

        const std::string program = old_program().string();
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        pid_t child = 0;
        Finished finished;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environment.data()) != 0) {
            ADD_FAILURE() << "the program did not start";
            return finished;
        }
        int status = 0;
        const bool ended = eventually_within(std::chrono::seconds(90),
                                             [&] { return ::waitpid(child, &status, WNOHANG) == child; });
        if (!ended) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ADD_FAILURE() << "the program did not end";
        } else if (WIFEXITED(status)) {
            finished.exit_code = WEXITSTATUS(status);
        }
        std::istringstream log(read_file(log_path()));
        for (std::string text; std::getline(log, text);) {
            Line line;
            std::istringstream fields(text);
            for (std::string field; std::getline(fields, field, '\t');) line.push_back(field);
            finished.log.push_back(line);
        }
        return finished;
    }

    static bool eventually_within(std::chrono::seconds limit, const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // The new program was installed under `name`, started from there, and the old one is gone.
    void expect_updated_to(const std::string& name, const std::string& program) {
        const fs::path installed = folder / name;
        EXPECT_EQ(read_file(installed), program);
        EXPECT_TRUE(is_executable(installed));
        ASSERT_TRUE(eventually([&] { return fs::exists(folder / "started.mark"); }));
        EXPECT_EQ(read_file(folder / "started.mark"), installed.string() + "\n");
        EXPECT_FALSE(fs::exists(folder / "gx.tmp"));
        EXPECT_TRUE(eventually([&] { return !fs::exists(old_program()); }));
        EXPECT_TRUE(eventually([&] { return !fs::exists(folder / " .sh"); }));
    }

    void expect_old_program_kept() {
        EXPECT_EQ(read_file(old_program()), read_file(XINGHE_UPDATE_PROGRAM));
        EXPECT_FALSE(fs::exists(folder / "started.mark"));
        EXPECT_FALSE(fs::exists(folder / " .sh"));
    }

    ProgramFolder folder;
    test_support::HttpServer server;
    std::optional<test_support::ConnectTo> reach;
};

TEST_F(UpdateProgramTest, OkDownloadsCountsDownInstallsAndStartsTheNewProgram) {
    const std::string program = new_program(1048576);
    serve("v3.3.7", "xinghe-3.3.7", test_support::page(program, "application/octet-stream"));

    const Finished finished = run("ok");

    EXPECT_EQ(finished.exit_code, 0);
    EXPECT_EQ(finished.lines("box"), std::vector<Line>{version_question_ok});
    // The main window was hidden when the update window came.
    EXPECT_EQ(finished.lines("window"), (std::vector<Line>{Line{"window", "0"}}));

    const std::vector<Line> states = finished.lines("state");
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), (Line{"state", "0", "已完成：0%", "0.00MB", "0 KB/秒"}));
    const auto complete = std::find_if(states.begin(), states.end(), [](const Line& state) {
        return state.at(1) == "10000" && state.at(2) == "已完成：100%" && state.at(3) == "1MB";
    });
    EXPECT_NE(complete, states.end()) << "the download never showed as complete";
    // Then the countdown, with the size and the speed hidden and the bar left full.
    const std::vector<std::string> captions = finished.percentage_captions();
    ASSERT_GE(captions.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(captions.end() - 4, captions.end()),
              (std::vector<std::string>{"已完成：100%", countdown_3, countdown_2, countdown_1}));
    EXPECT_EQ(states.back(), (Line{"state", "10000", countdown_1, "-", "-"}));

    expect_updated_to("xinghe-3.3.7", program);
}

TEST_F(UpdateProgramTest, WithNothingToInstallTheProgramRunsOnAsBefore) {
    const struct {
        const char* name;
        const char* version;
        bool reachable;
        std::vector<Line> boxes;
    } cases[] = {
        {"the same version", "v3.3.6", true, {}},
        {"Cancel", "v3.3.7", true, {Line{"box", "发现新版本", "发现新版本：v3.3.7，是否更新？", "cancel"}}},
        {"a page that cannot be fetched", "v3.3.7", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(log_path());
        serve(c.version, "xinghe-3.3.7", test_support::page(new_program()));
        server.clear_requests();
        if (!c.reachable) {
            reach.reset();
            reach.emplace(test_support::host_port_of(addresses::update_page),
                          test_support::HttpServer().port());
        }

        const Finished finished = run("cancel", "", 3000);
        EXPECT_EQ(finished.exit_code, 3);
        EXPECT_EQ(finished.lines("box"), c.boxes);
        EXPECT_EQ(finished.lines("running"), (std::vector<Line>{Line{"running", "1"}}));
        EXPECT_TRUE(finished.lines("window").empty());
        EXPECT_EQ(server.request_count(), c.reachable ? 1u : 0u);
        expect_old_program_kept();
        EXPECT_FALSE(fs::exists(folder / "gx.tmp"));
        EXPECT_FALSE(fs::exists(folder / "xinghe-3.3.7"));
    }
}

TEST_F(UpdateProgramTest, TheCloseQuestionEndsTheProgramOnOkAndLetsTheUpdateGoOnOnCancel) {
    const std::string program = new_program(1048576);
    const struct {
        const char* name;
        const char* close;
        const char* answer;
    } cases[] = {
        {"Esc, OK", "esc", "ok"},
        {"close button, Cancel", "button", "cancel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(log_path());
        // Slow enough that the question comes while the download runs.
        serve("v3.3.7", "xinghe-3.3.7",
              test_support::trickle(program, 10240, std::chrono::milliseconds(20), true));

        const Finished finished = run(std::string("ok,") + c.answer, c.close);
        EXPECT_EQ(finished.exit_code, 0);
        EXPECT_EQ(finished.lines("box"),
                  (std::vector<Line>{version_question_ok,
                                     Line{"box", "询问", "退出后将无法更新完成，是否退出？", c.answer}}));
        if (std::string(c.answer) == "ok") {
            EXPECT_FALSE(fs::exists(folder / "gx.tmp"));
            EXPECT_FALSE(fs::exists(folder / "xinghe-3.3.7"));
            expect_old_program_kept();
            EXPECT_NE(finished.percentage_captions().back(), countdown_1);
        } else {
            // The window stayed and went on to its countdown.
            EXPECT_EQ(finished.percentage_captions().back(), countdown_1);
            expect_updated_to("xinghe-3.3.7", program);
        }
    }
}

TEST_F(UpdateProgramTest, ADownloadThatIsNoProgramIsNotInstalledAndTheUserIsTold) {
    const struct {
        const char* name;
        test_support::Handler download;
        Line told;
    } cases[] = {
        {"an error page with status 200", test_support::page("<html>出错了</html>"),
         Line{"box", "信息：", "新版本无法安装，已保留当前版本。", "ok"}},
        {"status 404",
         [](const test_support::ReceivedRequest&) {
             test_support::Reply reply;
             reply.status = 404;
             reply.body = "<html>404</html>";
             return reply;
         },
         Line{"box", "信息：", "不能打开该URL!", "ok"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(log_path());
        serve("v3.3.7", "xinghe-3.3.7", c.download);

        const Finished finished = run("ok");
        EXPECT_EQ(finished.exit_code, 0);
        EXPECT_EQ(finished.lines("box"), (std::vector<Line>{version_question_ok, c.told}));
        expect_old_program_kept();
        EXPECT_FALSE(fs::exists(folder / "xinghe-3.3.7"));
    }
}

TEST_F(UpdateProgramTest, AnUpdateUnderTheProgramsOwnNameLeavesAWorkingProgram) {
    const std::string program = new_program();
    serve("v3.3.7", "xinghe", test_support::page(program, "application/octet-stream"));

    const Finished finished = run("ok");
    EXPECT_EQ(finished.exit_code, 0);
    ASSERT_TRUE(eventually([&] { return fs::exists(folder / "started.mark"); }));
    EXPECT_EQ(read_file(folder / "started.mark"), old_program().string() + "\n");
    EXPECT_EQ(read_file(old_program()), program);
    EXPECT_TRUE(is_executable(old_program()));
    EXPECT_FALSE(fs::exists(folder / " .sh"));
}

}  // namespace
