#include "text/text.h"

#include <gtest/gtest.h>

#include "tests/text/exact_text.h"

namespace {

using text::Text;

// GBK bytes of 中文 and of the full-width space.
const Text zhong_wen = "\xD6\xD0\xCE\xC4";
const Text full_space = "\xA1\xA1";

TEST(Cuts, CountBytesAndForgiveOutOfRange) {
    struct Case {
        Text got, want;
    };
    const Case cases[] = {
        {text::text_mid("abcdef", 3, 2), "cd"},
        {text::text_mid("abc", 0, 2), ""},
        {text::text_mid("abc", 2, 10), "bc"},
        {text::text_mid("abc", 4, 1), ""},
        {text::text_mid("abc", 1, 0), ""},
        {text::text_mid("abc", 3, 2147483647), "c"},
        {text::text_left("abc", 0), ""},
        {text::text_left("abc", -3), ""},
        {text::text_left("abc", 9), "abc"},
        {text::text_right("abc", 5), "abc"},
        {text::text_right("abc", 2), "bc"},
        {text::text_right("abc", -1), ""},
        {text::text_left(zhong_wen, 3), "\xD6\xD0\xCE"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(FindText, PositionsAndStart) {
    struct Case {
        Text text, sought;
        int start;
        bool ignore_case;
        int want;
    };
    const Case cases[] = {
        {"abcabc", "bc", 0, false, 2},  {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", -4, false, 2}, {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 7, false, -1}, {"abcabc", "bc", 6, false, -1},  // fewer bytes remain than sought
        {"abcabc", "c", 6, false, 6},   {"abcabc", "abcabcx", 0, false, -1},
        {"xABx", "ab", 0, true, 2},     {"xABx", "ab", 0, false, -1},
        {"x[Ab]x", "[aB]", 0, true, 2}, {"x@x", "`", 0, true, -1},  // only letters fold
        {"", "a", 0, false, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::find_text(ExactText(c.text), c.sought, c.start, c.ignore_case), c.want)
            << c.text << " / " << c.sought << " from " << c.start;
    }
}

TEST(FindText, EmptySoughtIsOneWhileTheStartLiesInTheText) {
    EXPECT_EQ(text::find_text("abc", ""), 1);
    EXPECT_EQ(text::find_text("abc", "", 3), 1);
    EXPECT_EQ(text::find_text("abc", "", 4), -1);
    EXPECT_EQ(text::find_text("", ""), -1);
}

TEST(FindText, StepsOverTwoByteCharacters) {
    const Text two = "\xB0\xA1\xB0\xA1";
    EXPECT_EQ(text::find_text(ExactText(two), "\xA1\xB0"), -1);
    EXPECT_EQ(text::find_text(ExactText(two), "\xA1\xB0", 2), 2);
    // The trail byte of a character is folded like any other byte when ignoring case.
    EXPECT_EQ(text::find_text(ExactText("\xB0"
                                        "a"),
                              "\xB0"
                              "A",
                              0, true),
              1);
    // "A" hidden as the trail byte of a character is not a match of its own.
    EXPECT_EQ(text::find_text(ExactText("\xB0"
                                        "A"
                                        "A"),
                              "A"),
              3);
    // A lone lead byte at the end is a character of one byte, and is found.
    EXPECT_EQ(text::find_text(ExactText("ab\xB0"), "\xB0"), 3);
}

TEST(FindTextReverse, LastMatchOnTheStepsFromTheStart) {
    struct Case {
        Text text, sought;
        bool ignore_case;
        int want;
    };
    const Case cases[] = {
        {"abcabc", "bc", false, 5},
        {"abcABC", "bc", false, 2},
        {"abcABC", "bc", true, 5},
        {"abc", "x", false, -1},
        {"abc", "", false, -1},
        {"aaa", "aa", false, 2},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", false, -1},
        {"a\xB0\xA1"
         "b",
         "\xB0\xA1", false, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::find_text_reverse(ExactText(c.text), c.sought, c.ignore_case), c.want) << c.text;
    }
}

// Long runs exercise the fast scans: a misaligned candidate far into the text must be passed
// over, and the aligned one after it found.
TEST(FindText, AlignmentHoldsAcrossLongTexts) {
    Text page(3000, 'x');
    for (int i = 0; i < 1000; ++i) page += "\xB0\xA1";
    page += "y\xA1\xB0";
    const int aligned = 3000 + 2000 + 2;
    EXPECT_EQ(text::find_text(ExactText(page), "\xA1\xB0"), aligned);
    EXPECT_EQ(text::find_text(ExactText(page), "\xA1\xB0", 0, true), aligned);
    EXPECT_EQ(text::find_text_reverse(ExactText(page), "\xA1\xB0"), aligned);
    // Starting on a trail byte realigns the walk onto the misaligned pairs.
    EXPECT_EQ(text::find_text(ExactText(page), "\xA1\xB0", 3002), 3002);
    EXPECT_EQ(text::find_text(ExactText(page), "\xA1\xB0", 3002, true), 3002);

    // Ignoring case across both letter cases, after a long run with neither.
    Text mixed = Text(5000, '-') + "<TD CLASS=x>" + Text(100, '-') + "<td class=y>";
    EXPECT_EQ(text::find_text(ExactText(mixed), "<td class=", 0, true), 5001);
    EXPECT_EQ(text::find_text(ExactText(mixed), "<td class=", 5002, true), 5113);
    EXPECT_EQ(text::find_text(ExactText(mixed), "<td class="), 5113);
    EXPECT_EQ(text::find_text_reverse(ExactText(mixed), "<TD CLASS=", true), 5113);
    EXPECT_EQ(text::find_text(ExactText(mixed), "<td class=z", 0, true), -1);
}

TEST(ToLower, FoldsSingleByteLettersOnly) {
    EXPECT_EQ(text::to_lower(ExactText("AbC-Z@[")), "abc-z@[");
    // "A" as the trail byte of a character stays; a lone lead byte at the end is kept.
    EXPECT_EQ(text::to_lower(ExactText("\xB0"
                                       "AA\xB0")),
              "\xB0"
              "Aa\xB0");
    EXPECT_EQ(text::to_lower(""), "");
}

TEST(Spaces, TrimBothEnds) {
    struct Case {
        Text in, want;
    };
    const Case cases[] = {
        {full_space + " a b \t", "a b \t"},  // the tab ends the trailing spaces
        {"  a" + full_space + "b" + full_space + " ", "a" + full_space + "b"},
        {" " + full_space + " ", ""},
        {"", ""},
        {"\tx\t", "\tx\t"},
        {"x\xB0\xA1\xA1\xA1", "x\xB0\xA1"},  // A1 A1 after a character is a full-width space
        {"x\xB0\xA1\xA1", "x\xB0\xA1\xA1"},  // the last A1 alone is no space
        {"\xA1", "\xA1"},
        {"\xB0 x", "\xB0 x"},  // the space is the trail byte of B0
    };
    for (const auto& c : cases) EXPECT_EQ(text::trim_both_ends(ExactText(c.in)), c.want) << c.in;
}

TEST(Spaces, RemoveAll) {
    EXPECT_EQ(text::remove_all_spaces(ExactText("a b" + full_space + "c ")), "abc");
    EXPECT_EQ(text::remove_all_spaces(ExactText("\xB0 \xA1\xA1\xA1")), "\xB0 \xA1");
    EXPECT_EQ(text::remove_all_spaces(ExactText(" \xA1")), "\xA1");
}

TEST(ReplaceSubtext, ReplacesOnCharacterSteps) {
    struct Case {
        Text in, old_text, new_text;
        int start;
        std::optional<int> count;
        bool case_sensitive;
        Text want;
    };
    const Case cases[] = {
        {"x\r\ny\r\n", "\r\n", "", 1, {}, true, "xy"},
        {"x\ry\nz", "\r\n", "", 1, {}, true, "x\ry\nz"},
        {"aXa", "x", "-", 1, {}, false, "a-a"},  // folds case unless told otherwise
        {"aXa", "x", "-", 1, {}, true, "aXa"},
        {"aaaa", "a", "b", 1, 2, true, "bbaa"},
        {"aaaa", "a", "b", 1, 0, true, "aaaa"},
        {"aaaa", "a", "b", 1, -1, true, "bbbb"},
        {"aaaa", "a", "b", 3, {}, true, "aabb"},
        {"aaaa", "a", "b", -5, {}, true, "bbbb"},
        {"aaaa", "a", "b", 5, {}, true, "aaaa"},
        {"aaa", "aa", "X", 1, {}, true, "Xa"},
        {"abc", "", "X", 1, {}, true, "abc"},
        {"", "a", "X", 1, {}, true, ""},
        {"ab", "abc", "X", 1, {}, true, "ab"},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", "X", 1, {}, true, "\xB0\xA1\xB0\xA1"},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", "X", 2, {}, true, "\xB0X\xA1"},
        {"a\xB0", "\xB0", "X", 1, {}, true, "aX"},
        {"\xD2\xFD"
         "ab",
         "a",
         "",
         1,
         {},
         true,
         "\xD2\xFD"
         "b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::replace_subtext(ExactText(c.in), c.old_text, c.new_text, c.start, c.count,
                                        c.case_sensitive),
                  c.want)
            << c.in << " / " << c.old_text;
    }
}

TEST(SplitText, PiecesBetweenDelimiters) {
    using List = text::TextList;
    struct Case {
        Text in, delimiter;
        std::optional<int> max_count;
        List want;
    };
    const Case cases[] = {
        {"a,,b", ",", {}, {"a", "", "b"}},
        {",a", ",", {}, {"", "a"}},
        {"a,", ",", {}, {"a"}},
        {",", ",", {}, {""}},
        {"", ",", {}, {}},
        {"a;b", ";", {}, {"a", "b"}},
        {"a<>b<>c", "<>", {}, {"a", "b", "c"}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b", ",", 5, {"a", "b"}},
        {"a,b", ",", 0, {}},
        {"a,b", ",", -3, {}},
        {"a,b", "", {}, {"a,b"}},
        {"aXb", "x", {}, {"aXb"}},                  // the delimiter compares exactly
        {"\xB0,\xB0,x", ",", {}, {"\xB0,\xB0,x"}},  // both commas are trail bytes
        {"a\xB0", "\xB0", {}, {"a"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::split_text(ExactText(c.in), c.delimiter, c.max_count), c.want) << c.in;
    }
}

}  // namespace
