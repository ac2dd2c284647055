#include "text/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using text::Text;

// GBK bytes of 中文 and of the full-width space.
const Text zhong_wen = "\xD6\xD0\xCE\xC4";
const Text full_space = "\xA1\xA1";

// A view over a heap copy of exactly the text's bytes, so that AddressSanitizer sees any
// read past its end.
class ExactText {
public:
    explicit ExactText(std::string_view t) : bytes_(new char[t.size() ? t.size() : 1]), size_(t.size()) {
        std::memcpy(bytes_.get(), t.data(), t.size());
    }
    operator std::string_view() const { return {bytes_.get(), size_}; }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

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
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", -4, false, 2},
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 7, false, -1},
        {"abcabc", "bc", 6, false, -1},  // fewer bytes remain than sought
        {"abcabc", "c", 6, false, 6},
        {"abcabc", "abcabcx", 0, false, -1},
        {"xABx", "ab", 0, true, 2},
        {"xABx", "ab", 0, false, -1},
        {"x[Ab]x", "[aB]", 0, true, 2},
        {"x@x", "`", 0, true, -1},  // only letters fold
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
    EXPECT_EQ(text::find_text(ExactText("\xB0" "a"), "\xB0" "A", 0, true), 1);
    // "A" hidden as the trail byte of a character is not a match of its own.
    EXPECT_EQ(text::find_text(ExactText("\xB0" "A" "A"), "A"), 3);
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
        {"a\xB0\xA1" "b", "\xB0\xA1", false, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::find_text_reverse(ExactText(c.text), c.sought, c.ignore_case), c.want) << c.text;
    }
}

}  // namespace
