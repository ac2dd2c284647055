// Searches end to end: the engines' addresses, pages from a loopback server, the rows, the
// status texts and messages, and one operation at a time.

#include "search/search.h"

#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/search/recording_view.h"
#include "tests/search/search_site.h"

namespace {

using search::Outcome;
using search_test::RecordingView;
using search_test::Row;
using search_test::SearchSite;

const std::string done_status = "搜索完毕,鼠标右键选择播放或者下载,点击\"加载更多\"可以显示更多";
const std::string ed2k_status_3 = "共搜索到:3条资源鼠标右键选择播放或者下载,点击\"加载更多\"可以显示更多";
const std::string fetch_failed = "连接搜索引擎失败，请检查网络后重试";

class SearchTest : public testing::Test {
  protected:
    // Never freed: a worker may still be returning from its last call when a test ends.
    RecordingView& view = *new RecordingView;
    search::SearchSession& session = *new search::SearchSession(view);
    SearchSite site;

    void SetUp() override { view.bases = site.endpoints(); }

    void search(const std::string& keyword, int engine) {
        view.keyword_utf8 = keyword;
        view.engine = engine;
        const std::size_t before = view.outcomes().size();
        ASSERT_TRUE(search::start_search(session));
        ASSERT_TRUE(view.wait_for_end(before + 1));
    }
    void more() {
        const std::size_t before = view.outcomes().size();
        ASSERT_TRUE(search::load_more(session));
        ASSERT_TRUE(view.wait_for_end(before + 1));
    }
    // Every operation a test starts has ended (search() and more() wait for it).
    Outcome last_outcome() const { return view.outcomes().back(); }
};

// The last item, or an empty one: a missing row must fail a test, not crash it.
template <class T>
T last_of(const std::vector<T>& items) {
    return items.empty() ? T{} : items.back();
}

std::string hash(char digit) { return std::string(40, digit); }

TEST_F(SearchTest, EachEngineListsItsPagesWithRowsNumberedOnAcrossPages) {
    struct Case {
        int engine;
        std::string keyword;
        std::string first_target, first_page;
        std::vector<std::string> more_targets;  // every one served with `more_page`
        std::string more_page;
        std::vector<Row> first_rows, more_row;
        std::string first_status;
        std::vector<std::string> statuses_after_one_more;
    };
    const std::string china = search_test::china_encoded;
    const std::vector<Case> cases = {
        {0,
         "中国",
         "/btdigg/search?q=" + china,
         "btdigg_first.html",
         {"/btdigg/search?q=" + china + "&p=1", "/btdigg/search?q=" + china + "&p=2"},
         "btdigg_more.html",
         {{"1", "中国合伙人.2013.1080p.mkv", "magnet:?xt=urn:btih:" + hash('1'), "1.4 GB"},
          {"2", "American.Dreams.in.China.720p.mp4", "magnet:?xt=urn:btih:" + hash('2'), "900 MB"}},
         {{"3", "中国合伙人.花絮.mp4", "magnet:?xt=urn:btih:" + hash('3'), "120 MB"}},
         done_status,
         {done_status}},
        // ed2k's further pages start at 2; its first-page address is trimmed, the space inside
        // the keyword is encoded.
        {1,
         "a b",
         "/ed2k/search/a%20b?page=1&mode=thumb",
         "ed2k_first.html",
         {"/ed2k/search/a%20b?page=2&mode=thumb"},
         "ed2k_more.html",
         {{"1", "中国合伙人 国语中字", "[中国合伙人].mkv|1468006400|0123456789ABCDEF0123456789ABCDEF|",
           "1.37 GB"},
          {"2", "a.avi", "a.avi|123|ABC|", "123 B"}},
         {{"3", "b.avi", "b.avi|456|DEF|", "456 B"}},
         ed2k_status_3,
         {ed2k_status_3, ed2k_status_3}},
        // The code engine's pages are percent-encoded: its markers match only once decoded.
        {2,
         "ABP-123",
         "/code/search/ABP-123/",
         "code_first.html",
         {"/code/search/ABP-123/1", "/code/search/ABP-123/2"},
         "code_more.html",
         {{"1", "ABP-123 中文字幕", "magnet:?xt=urn:btih:" + hash('4'), "1.2GB"},
          {"2", "ABP-124", "magnet:?xt=urn:btih:" + hash('5'), "2.0GB"}},
         {{"3", "ABP-125", "magnet:?xt=urn:btih:" + hash('6'), "700MB"}},
         done_status,
         {done_status}},
        {3,
         "中国",
         "/search/" + china + "/currentPage/1",
         "btsp_first.html",
         {"/search/" + china + "/currentPage/2", "/search/" + china + "/currentPage/3"},
         "btsp_more.html",
         {{"1", "中国合伙人.mkv", hash('7'), "1.4 GB"}, {"2", "Chinese Partners.mp4", hash('8'), "650 MB"}},
         {{"3", "中国合伙人.花絮.mp4", hash('9'), "88 MB"}},
         done_status,
         {done_status}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first_target);
        site.forget_requests();
        site.serve(c.first_target, c.first_page);
        for (const auto& target : c.more_targets) site.serve(target, c.more_page);

        search(c.keyword, c.engine);
        EXPECT_EQ(site.targets(), std::vector<std::string>{c.first_target});
        EXPECT_EQ(view.rows(), c.first_rows);
        EXPECT_EQ(last_of(view.statuses()), c.first_status);
        EXPECT_FALSE(view.notice_visible());
        EXPECT_EQ(last_outcome(), Outcome::listed);

        const std::size_t statuses_before = view.statuses().size();
        more();
        std::vector<Row> expected = c.first_rows;
        expected.insert(expected.end(), c.more_row.begin(), c.more_row.end());
        EXPECT_EQ(view.rows(), expected);
        EXPECT_FALSE(view.notice_visible());
        // Only ed2k writes its status again after a further page.
        EXPECT_EQ(view.statuses().size() - statuses_before, c.statuses_after_one_more.size() - 1);
        EXPECT_EQ(last_of(view.statuses()), c.statuses_after_one_more.back());

        if (c.more_targets.size() > 1) {
            more();
            EXPECT_EQ(last_of(view.rows()).number, "4");
        }
        std::vector<std::string> asked = {c.first_target};
        asked.insert(asked.end(), c.more_targets.begin(), c.more_targets.end());
        EXPECT_EQ(site.targets(), asked);
    }
    EXPECT_TRUE(view.names_prefixed());
    EXPECT_TRUE(view.messages().empty());
}

TEST_F(SearchTest, Ed2kLoadMoreStopsOnceEveryReportedResultIsListed) {
    // Before any search the total is empty: there is nothing to ask for.
    view.engine = 1;
    more();
    EXPECT_EQ(view.messages(), std::vector<std::string>{"已经是最后一页"});
    EXPECT_EQ(last_outcome(), Outcome::last_page);
    EXPECT_FALSE(view.notice_visible());
    EXPECT_TRUE(site.targets().empty());

    // The pages report 3 results: 2 listed asks for the next page, 3 listed does not.
    site.serve("/ed2k/search/x?page=1&mode=thumb", "ed2k_first.html");
    site.serve("/ed2k/search/x?page=2&mode=thumb", "ed2k_more.html");
    search("x", 1);
    more();
    EXPECT_EQ(view.rows().size(), 3u);
    more();
    EXPECT_EQ(site.targets().size(), 2u);
    EXPECT_EQ(view.messages().size(), 2u);
    EXPECT_EQ(last_of(view.messages()), "已经是最后一页");
    EXPECT_EQ(view.rows().size(), 3u);
}

TEST_F(SearchTest, NoResultPagesShowTheMessageWithTheKeywordAsTyped) {
    struct Case {
        int engine;
        std::string target, page;
    };
    const std::string keyword = "中国 x";
    const std::string encoded = std::string(search_test::china_encoded) + "%20x";
    const std::vector<Case> cases = {
        {3, "/search/" + encoded + "/currentPage/1", "btsp_none.html"},
        // Results, but the page lacks the exact "展现方式:" (its colon is full-width here).
        {1, "/ed2k/search/" + encoded + "?page=1&mode=thumb", "ed2k_none.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        site.serve(c.target, c.page);
        const std::size_t messages = view.messages().size();
        search(keyword, c.engine);
        ASSERT_EQ(view.messages().size(), messages + 1);
        EXPECT_EQ(last_of(view.messages()), "没有搜索到与关键词[中国 x]相关信息!\r\n请调整关键词后重试!");
        EXPECT_EQ(last_outcome(), Outcome::no_results);
        EXPECT_TRUE(view.rows().empty());
        EXPECT_FALSE(view.notice_visible());
        EXPECT_TRUE(view.statuses().empty());
    }
}

TEST_F(SearchTest, AnEmptyKeywordIsRefusedWithoutTouchingTheList) {
    site.serve("/code/search/x/", "code_first.html");
    search("x", 2);
    view.keyword_utf8 = "";
    EXPECT_FALSE(search::start_search(session));
    EXPECT_EQ(view.messages(), std::vector<std::string>{"请先输入您想要搜索的关键字"});
    EXPECT_EQ(view.rows().size(), 2u);
    EXPECT_EQ(view.clears(), 1);
    EXPECT_EQ(site.targets().size(), 1u);
    // A keyword of spaces is a keyword, and nothing was left blocked.
    site.serve("/code/search/%20/", "code_more.html");
    search(" ", 2);
    EXPECT_EQ(view.rows().size(), 1u);
}

TEST_F(SearchTest, ANewSearchEmptiesTheListAndStartsNumberingAndPagingAfresh) {
    site.serve("/code/search/x/", "code_first.html");
    site.serve("/code/search/x/1", "code_more.html");
    site.serve("/code/search/x/2", "code_more.html");
    search("x", 2);
    more();
    more();
    ASSERT_EQ(view.rows().size(), 4u);

    search("x", 2);
    EXPECT_EQ(view.rows().size(), 2u);
    EXPECT_EQ(view.rows().front().number, "1");
    more();
    EXPECT_EQ(last_of(site.targets()), "/code/search/x/1");
    EXPECT_EQ(last_of(view.rows()).number, "3");
}

TEST_F(SearchTest, APageThatCannotBeFetchedIsAFailureNotAnEmptyResult) {
    int closed_port = 0;
    {
        test_support::HttpServer gone;
        closed_port = gone.port();
    }
    struct Case {
        const char* what;
        int engine;
        int status;  // 0: nothing listens
    };
    // ed2k would otherwise call an error page "no results", btdigg would call it "done".
    const std::vector<Case> cases = {
        {"refused", 0, 0}, {"not found", 0, 404}, {"server error", 1, 500}, {"refused", 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.status == 0) {
            const std::string dead = "http://127.0.0.1:" + std::to_string(closed_port);
            view.bases = {dead + "/btdigg/search?q=", dead + "/ed2k/search/", dead + "/code/search/", ""};
        } else {
            view.bases = site.endpoints();
            site.answer_status(c.engine == 0 ? "/btdigg/search?q=x" : "/ed2k/search/x?page=1&mode=thumb",
                               c.status);
        }
        const std::size_t messages = view.messages().size();
        search("x", c.engine);
        ASSERT_EQ(view.messages().size(), messages + 1);
        EXPECT_EQ(last_of(view.messages()), fetch_failed);
        EXPECT_EQ(last_outcome(), Outcome::fetch_failed);
        EXPECT_FALSE(view.notice_visible());
        EXPECT_TRUE(view.rows().empty());
        EXPECT_TRUE(view.statuses().empty());
    }
}

TEST_F(SearchTest, AFailedFurtherPageIsAskedForAgainByTheNextLoadMore) {
    const std::string target = "/btdigg/search?q=x&p=1";
    site.serve("/btdigg/search?q=x", "btdigg_first.html");
    site.answer_status(target, 503);
    search("x", 0);
    const std::size_t statuses = view.statuses().size();
    more();
    EXPECT_EQ(view.messages(), std::vector<std::string>{fetch_failed});
    EXPECT_EQ(view.rows().size(), 2u);
    EXPECT_FALSE(view.notice_visible());

    site.serve(target, "btdigg_more.html");
    more();
    EXPECT_EQ(site.targets(), (std::vector<std::string>{"/btdigg/search?q=x", target, target}));
    EXPECT_EQ(last_of(view.rows()).number, "3");
    EXPECT_EQ(view.statuses().size(), statuses);
}

TEST_F(SearchTest, RowsStopAtTheShortestOfNamesLinksAndSizes) {
    // Three names and sizes, but the third link is empty, which ends the links at two.
    site.serve("/code/search/u/", "code_unequal.html");
    search("u", 2);
    EXPECT_EQ(view.rows(), (std::vector<Row>{{"1", "ONE", "magnet:?xt=urn:btih:AAAA", "1GB"},
                                             {"2", "TWO", "magnet:?xt=urn:btih:BBBB", "2GB"}}));
    EXPECT_EQ(session.state.names.size(), 3u);
    EXPECT_EQ(session.state.row_counter, 2);
}

TEST_F(SearchTest, ALargePageIsListedWholeAcrossBatches) {
    const int count = static_cast<int>(search::first_row_batch) * 3 + 1;
    std::string page;
    for (int i = 1; i <= count; ++i)
        page += "<tr><td class=%22name%22>N" + std::to_string(i) + "</td><td class=%22size%22>1B</td>" +
                "Detail</a><a href=%22L" + std::to_string(i) + "%22 title=%22x%22>";
    site.server.on("/big/big/", test_support::page(page));
    view.bases.code_base = site.server.url("/big/");
    search("big", 2);
    const std::vector<Row> rows = view.rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(count));
    EXPECT_GT(view.batches().size(), 1u);
    for (int i = 1; i <= count; ++i) {
        const Row& row = rows[static_cast<std::size_t>(i - 1)];
        ASSERT_EQ(row, (Row{std::to_string(i), "N" + std::to_string(i), "L" + std::to_string(i), "1B"}));
    }
}

TEST_F(SearchTest, OnlyOneOperationRunsAtATime) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> arrived;
    site.server.on("/held//1", [&, released](const test_support::ReceivedRequest&) {
        arrived.set_value();
        released.wait_for(std::chrono::seconds(10));
        return test_support::Reply{};
    });
    view.bases.code_base = site.server.url("/held/");
    view.keyword_utf8 = "";
    view.engine = 2;
    ASSERT_TRUE(search::load_more(session));
    ASSERT_EQ(arrived.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(view.notice_visible());
    EXPECT_FALSE(search::start_search(session));
    EXPECT_FALSE(search::load_more(session));
    release.set_value();
    ASSERT_TRUE(view.wait_for_end(1));
    EXPECT_EQ(site.server.request_count(), 1u);

    // No engine selected: the list is emptied and the notice shown, nothing is asked, and
    // nothing stays blocked.
    view.engine = -1;
    search("x", -1);
    EXPECT_EQ(last_outcome(), Outcome::no_engine);
    EXPECT_TRUE(view.notice_visible());
    EXPECT_EQ(view.clears(), 1);
    more();
    EXPECT_EQ(last_outcome(), Outcome::no_engine);
    EXPECT_EQ(site.server.request_count(), 1u);
}

}  // namespace
