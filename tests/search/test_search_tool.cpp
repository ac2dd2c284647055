// xinghe-search run as the program it is, against a loopback server, with a configuration
// written for the test.

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/config.h"
#include "config/addresses.h"
#include "platform/files.h"
#include "tests/search/search_site.h"
#include "tests/support/programs.h"
#include "text/charset.h"

namespace {

namespace fs = std::filesystem;
using search_test::SearchSite;

class SearchTool : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "xinghe-search-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        platform::write_whole_file((dir / "peizhi.ini").string(), site.stored_config());
    }
    void TearDown() override { fs::remove_all(dir); }

    // The site's ConnectTo is in this process's environment, which the tool inherits.
    test_support::ProgramRun run(const std::string& arguments) const {
        return test_support::run_program(std::string("'") + XINGHE_SEARCH_TOOL + "' " + arguments,
                                         dir.string());
    }
    std::string config() const { return "--config '" + (dir / "peizhi.ini").string() + "'"; }

    SearchSite site;
    fs::path dir;
};

const std::string done_status = "搜索完毕,鼠标右键选择播放或者下载,点击\"加载更多\"可以显示更多\n";

TEST_F(SearchTool, PrintsOneLinePerRowAcrossTheSearchAndItsFurtherPages) {
    const std::string china = search_test::china_encoded;
    site.serve("/search/" + china + "/currentPage/1", "btsp_first.html");
    site.serve("/search/" + china + "/currentPage/2", "btsp_more.html");
    const test_support::ProgramRun result = run(config() + " --more 1 中国");  // the engine defaults to BTSP
    EXPECT_EQ(result.exit_code, 0) << result.err;
    const std::string magnet = "magnet:?xt=urn:btih:";
    EXPECT_EQ(result.out, "1\t中国合伙人.mkv\t" + magnet + std::string(40, '7') + "\t1.4 GB\n" +
                              "2\tChinese Partners.mp4\t" + magnet + std::string(40, '8') + "\t650 MB\n" +
                              "3\t中国合伙人.花絮.mp4\t" + magnet + std::string(40, '9') + "\t88 MB\n");
    EXPECT_EQ(result.err, done_status);

    site.serve("/ed2k/search/x?page=1&mode=thumb", "ed2k_first.html");
    site.serve("/ed2k/search/x?page=2&mode=thumb", "ed2k_more.html");
    // ed2k reports 3 results: the second "加载更多" finds them all listed.
    const test_support::ProgramRun ed2k = run(config() + " --engine 1 --more 5 x");
    EXPECT_EQ(ed2k.exit_code, 0) << ed2k.err;
    EXPECT_EQ(ed2k.out.substr(ed2k.out.rfind('\n', ed2k.out.size() - 2) + 1),
              "3\tb.avi\ted2k://|file|b.avi|456|DEF|\t456 B\n");
    EXPECT_NE(ed2k.err.find("已经是最后一页\n"), std::string::npos);
}

TEST_F(SearchTool, ExitCodesTellNothingFoundFromFailuresAndMistakes) {
    site.serve("/search/none/currentPage/1", "btsp_none.html");
    site.answer_status("/code/search/x/", 404);
    site.serve("/btdigg/search?q=empty", "code_more.html");  // a page without btdigg's markers
    struct Case {
        std::string arguments;
        int exit_code;
        std::string err_holds;
    };
    const std::string ini = config();
    const std::vector<Case> cases = {
        {ini + " none", 1, "没有搜索到与关键词[none]相关信息!\n请调整关键词后重试!\n"},
        {ini + " --engine 2 x", 1, "连接搜索引擎失败，请检查网络后重试\n"},
        {ini + " --engine 0 empty", 0, done_status},
        {ini + " --engine 4 x", 2, "usage:"},
        {ini + " --more x y", 2, "usage:"},
        {ini + " --engine", 2, "usage:"},
        {ini, 2, "usage:"},
        {ini + " a b", 2, "usage:"},
        {ini + " ''", 2, "请先输入您想要搜索的关键字"},
        {"--config '" + (dir / "missing.ini").string() + "' x", 2, "missing.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const test_support::ProgramRun result = run(c.arguments);
        EXPECT_EQ(result.exit_code, c.exit_code);
        EXPECT_NE(result.err.find(c.err_holds), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

// The demo site's engines, searched with the shipped configuration: every engine lists its
// three pages of a keyword, and a keyword the site finds nothing for is told as such.
TEST_F(SearchTool, TheDemoSiteServesEveryEngine) {
    test_support::DemoSiteProcess site_process(XINGHE_DEMO_SITE);
    const int port = site_process.http_port();
    ASSERT_NE(port, 0);
    std::vector<std::string> hosts = {test_support::host_port_of(addresses::btsp_origin)};
    for (const char* host : {"btdigg.example:80", "ed2k.example:80", "code.example:80"})
        hosts.emplace_back(host);
    test_support::ConnectTo demo(hosts, port);

    const std::string shipped = std::string("--config '") + XINGHE_BUILD_DIR + "/peizhi.ini'";
    for (int engine = 0; engine < 4; ++engine) {
        SCOPED_TRACE(engine);
        const test_support::ProgramRun result =
            run(shipped + " --engine " + std::to_string(engine) + " --more 3 中国合伙人");
        EXPECT_EQ(result.exit_code, 0) << result.err;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 24);
        EXPECT_NE(result.out.find("\n24\t中国合伙人"), std::string::npos) << result.out;
        EXPECT_EQ(run(shipped + " --engine " + std::to_string(engine) + " nothing").exit_code,
                  engine == 1 || engine == 3 ? 1 : 0);
    }
}

}  // namespace
