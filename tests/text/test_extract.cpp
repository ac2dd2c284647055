#include "text/extract.h"

#include <gtest/gtest.h>

#include "tests/text/exact_text.h"

namespace {

using text::Text;
using text::TextList;

// "#引号" and 中文 in GBK.
const Text quote_token = "#\xD2\xFD\xBA\xC5";
const Text zhong_wen = "\xD6\xD0\xCE\xC4";

TEST(ExtractBetween, CutsBetweenFirstMarkers) {
    struct Case {
        Text text, open, close;
        int start;
        bool case_sensitive;
        Text want;
    };
    const Case cases[] = {
        {"<a href=\"x.htm\">", "href=" + quote_token, quote_token, 0, false, "x.htm"},
        {"<TD><b>42</b></TD>", "<td><b>", "</b></td>", 0, false, "42"},
        {"<TD><b>42</b></TD>", "<td><b>", "</b></td>", 0, true, ""},
        {"User-Agent: x\r\n", "user-agent:", "\r\n", 0, false, " x"},
        {"a=1;b=2;a=3;", "a=", ";", 0, false, "1"},  // first start marker, first end after it
        {"a=1;b=2;a=3;", "a=", ";", 2, false, "3"},
        {"a=1;b=2;", "c=", ";", 0, false, ""},
        {"a=1", "a=", ";", 0, false, ""},
        {"a=;", "a=", ";", 0, false, ""},
        {"a=", "a=", ";", 0, false, ""},
        {"k=\"\"v\"", "k=" + quote_token + quote_token, quote_token, 0, false, "v"},  // every token
        {zhong_wen + "=" + zhong_wen + ";", zhong_wen + "=", ";", 0, false, zhong_wen},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::extract_between(ExactText(c.text), c.open, c.close, c.start, c.case_sensitive),
                  c.want)
            << c.text << " / " << c.open;
    }
}

TEST(ExtractAfterMarker, ExactCaseWithoutQuoteToken) {
    struct Case {
        Text text, open, close, want;
    };
    const Case cases[] = {
        {"<p>1\xA3\xBA"
         "2.0</p><p>2\xA3\xBAx</p>",
         "1\xA3\xBA", "</p>", "2.0"},
        {"Version 3</p>", "version", "</p>", ""},
        {"Version 3</p>", "Version ", "</p>", "3"},
        {"x</p>", "1:", "</p>", ""},
        {"1:</p>", "1:", "</p>", ""},
        {"1:abc", "1:", "</p>", ""},
        {"\"v\"", quote_token, quote_token, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::extract_after_marker(ExactText(c.text), c.open, c.close), c.want) << c.text;
    }
}

TEST(TextAfterLast, EverythingAfterTheLastMarker) {
    struct Case {
        Text text, marker;
        bool ignore_case;
        Text want;
    };
    const Case cases[] = {
        {"a=1;a=2", "a=", false, "2"}, {"k=v\r\nk=", "k=", false, ""}, {"a=1;A=2", "a=", false, "1;A=2"},
        {"a=1;A=2", "a=", true, "2"},  {"a=1", "b=", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::text_after_last(ExactText(c.text), c.marker, c.ignore_case), c.want) << c.text;
    }
}

TEST(ExtractAllBetween, CollectsUntilAPieceEndsTheCollection) {
    struct Case {
        Text page, open, close;
        TextList want;
    };
    const Case cases[] = {
        {"<i>a</i><i> b </i><i></i><i>c</i>", "<i>", "</i>", {"a", "b"}},
        {"[A][b][]", "[", "]", {"A", "b"}},
        {"[A][ ][c]", "[", "]", {"A"}},
        {"|a| |b|", "|", "|", {"a"}},  // the closing marker opens the next piece
        {"<li>" + zhong_wen + "\n<s>x<li>ab\n<s>", "<li>", "\n<s>", {zhong_wen, "ab"}},
        {"<LI>a</li><li>b</LI>", "<li>", "</li>", {"a", "b"}},
        {"[a][b", "[", "]", {"a"}},
        {"[\ta\n]", "[", "]", {"\ta\n"}},
        {"no markers", "[", "]", {}},
        {"[a]", "", "]", {}},
        {"[a]", "[", "", {}},
    };
    for (const auto& c : cases) {
        TextList list{"left", "over"};
        EXPECT_EQ(text::extract_all_between(ExactText(c.page), c.open, c.close, list),
                  text::list_count(c.want))
            << c.page;
        EXPECT_EQ(list, c.want) << c.page;
    }
}

TEST(ExtractAllBetween, Options) {
    TextList list;
    EXPECT_EQ(text::extract_all_between("[abc][abcd][x]", "[", "]", list, false, 3), 1);
    EXPECT_EQ(list, TextList{"abc"});

    EXPECT_EQ(text::extract_all_between("[a]", "[", "]", list, false, 0, "P", "S", true, true), 1);
    EXPECT_EQ(list, TextList{"[PaS]"});

    EXPECT_EQ(text::extract_all_between("<B>a</b><b>c</b>", "<b>", "</b>", list, true), 1);
    EXPECT_EQ(list, TextList{"c"});

    // The markers are added as given; the quote token means nothing here.
    EXPECT_EQ(text::extract_all_between("[a]", "[", "]", list, false, 0, quote_token, {}, true), 1);
    EXPECT_EQ(list, TextList{"[" + quote_token + "a"});

    EXPECT_EQ(text::extract_all_between("[a][b][c]", "[", "]", list, false, 0, {}, {}, false, false, 4), 2);
    EXPECT_EQ(list, (TextList{"b", "c"}));
}

TEST(ExtractAllBetween, EachCallStartsFromAnEmptyList) {
    TextList names{"old"};
    TextList links{"old"};
    EXPECT_EQ(text::extract_all_between("<x>", "<n>", "</n>", names), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(text::extract_all_between("<l>1</l>", "<l>", "</l>", links), 1);
    EXPECT_EQ(links, TextList{"1"});
}

}  // namespace
