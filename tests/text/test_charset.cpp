#include "text/charset.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/text/exact_text.h"

namespace {

using text::Bytes;
using text::Text;

Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }
std::string string_of(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Bytes in hexadecimal, so a failure shows which byte went wrong.
std::string hex(std::string_view s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

TEST(UrlEncode, EscapesEveryByteExceptTheKeptOnes) {
    struct Case {
        std::string_view in;
        bool keep_unreserved, via_utf8;
        std::string_view out;
    };
    const Case cases[] = {
        {"a b/c_d~e", true, false, "a%20b%2Fc%5Fd%7Ee"},
        {"\xD6\xD0", true, false, "%D6%D0"},    // 中 as its GBK bytes
        {"\xD6\xD0", true, true, "%E4%B8%AD"},  // 中 as UTF-8
        {"Ab1", false, false, "%41%62%31"},
        {"-.09AZaz", true, false, "-.09AZaz"},
        {"+%*\x7F\xFF", true, false, "%2B%25%2A%7F%FF"},
        {"A\x80", true, true, "A%E2%82%AC"},  // the one-byte euro sign
        {"", false, false, ""},
        {"", true, true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::url_encode(ExactText(c.in), c.keep_unreserved, c.via_utf8), c.out)
            << hex(c.in) << " keep=" << c.keep_unreserved << " utf8=" << c.via_utf8;
    }
}

TEST(UrlDecode, DecodesEscapesWithTheirOddRules) {
    struct Case {
        std::string_view in, out;
    };
    const Case cases[] = {
        {"%e4%B8%ad", "\xE4\xB8\xAD"},
        {"100%", "100"},  // both digits beyond the end count as 0, and 0 is dropped
        {"%4", "\x40"},   // the missing second digit counts as 0
        {"%00x", "x"},
        {"5%;x", "5\xDE"},     // -2 and -2: (16 * -2 - 2) mod 256
        {"100%;", "100\xE0"},  // -2 and, beyond the end, 0
        {"100%; x",
         "100\xDE"
         "x"},
        {"%%41",
         "\xE4"
         "1"},  // '%' counts -2, then '4': the '1' is left over
        {"a+b", "a+b"},
        {"%4g", "\x3E"},  // 16 * 4 - 2
        {"%", ""},
        {"", ""},
        {"no escapes at all", "no escapes at all"},
        {"%41%42%43", "ABC"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(text::url_decode(ExactText(c.in))), hex(c.out)) << c.in;
    }
}

TEST(UrlDecode, FromUtf8GivesGbk) {
    EXPECT_EQ(hex(text::url_decode("%E4%B8%AD%E6%96%87", true)), "D6 D0 CE C4");
    EXPECT_EQ(text::url_decode("a+b%20c", true), "a+b c");
    EXPECT_EQ(text::url_decode("", true), "");
}

TEST(UrlCoding, DecodeUndoesEncodeForEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(text::url_decode(text::url_encode(all)), all);
    EXPECT_EQ(text::url_decode(text::url_encode(all, true)), all);
}

TEST(CodePages, ConvertsBetweenGbkAndUtf8) {
    struct Case {
        std::string_view gbk, utf8;
    };
    const Case cases[] = {
        {"\x80\x80", "\xE2\x82\xAC\xE2\x82\xAC"},          // euro signs: three times as long
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文
        {"ab \xA1\xA1", "ab \xE3\x80\x80"},                // the full-width space
        {"\xA8\xA6\xA8\xB9", "\xC3\xA9\xC3\xBC"},          // é ü
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(text::gbk_to_utf8(ExactText(c.gbk))), hex(c.utf8));
        EXPECT_EQ(hex(text::utf8_to_gbk(ExactText(c.utf8))), hex(c.gbk));
    }
}

TEST(CodePages, ReplacesWhatCannotBeConvertedAndGoesOn) {
    struct Case {
        const char* what;
        std::string_view utf8, gbk;
    };
    const Case cases[] = {
        {"character GBK lacks",
         "a\xC3\xA4"
         "b",
         "a?b"},  // ä
        {"four-byte character",
         "\xF0\x9F\x98\x80"
         "x",
         "?x"},  // an emoji, one character
        {"stray continuation",
         "a\x80"
         "b",
         "a?b"},
        {"cut-off sequence",
         "\xE4\xB8"
         "x",
         "??x"},  // one "?" per bad byte
        {"cut off at the end", "x\xE4\xB8", "x??"},
        {"invalid lead", "\xFF\xD6", "??"},
        {"overlong form",
         "\xC0\xAF"
         "a",
         "??a"},
        {"resynchronises on 中", "\xB8\xE4\xB8\xAD", "?\xD6\xD0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(text::utf8_to_gbk(ExactText(c.utf8))), hex(c.gbk)) << c.what;
        EXPECT_EQ(hex(string_of(text::utf8_bytes_to_gbk(bytes_of(c.utf8)))), hex(c.gbk)) << c.what;
    }
    // Malformed GBK: a lead byte without a valid trail byte, and 0xFF, which is no character.
    EXPECT_EQ(text::gbk_to_utf8("\x81\x20"
                                "a"),
              "? a");
    EXPECT_EQ(text::gbk_to_utf8("a\xD6"), "a?");
    EXPECT_EQ(text::gbk_to_utf8("\xFF"
                                "b"),
              "?b");
}

TEST(CodePages, Utf8BodyToGbk) {
    EXPECT_EQ(hex(string_of(text::utf8_bytes_to_gbk(bytes_of("\xE4\xB8\xAD\xE6\x96\x87")))), "D6 D0 CE C4");
    EXPECT_TRUE(text::utf8_bytes_to_gbk({}).empty());
    // A body's exact length is used: zero bytes inside it are converted like any other byte.
    EXPECT_EQ(hex(string_of(text::utf8_bytes_to_gbk(bytes_of(std::string_view("a\0\xE4\xB8\xAD", 5))))),
              "61 00 D6 D0");
}

TEST(CodePages, ComposesBaseAndMarkWhereGbkHasThePrecomposedCharacter) {
    struct Case {
        const char* what;
        std::string_view utf8, gbk;
    };
    const Case cases[] = {
        {"e + acute", "e\xCC\x81", "\xA8\xA6"},
        {"u + diaeresis + acute", "u\xCC\x88\xCC\x81", "\xA8\xB6"},  // ǘ, composed in two steps
        {"ü + caron", "\xC3\xBC\xCC\x8C", "\xA8\xB7"},               // ǚ
        {"pinyin word",
         "ma\xCC\x8C"
         "o",
         "m\xA8\xA3o"},                                           // mǎo
        {"Cyrillic", "\xD0\x95\xCC\x88", "\xA7\xA7"},             // Ё
        {"voiced kana", "\xE3\x81\x8B\xE3\x82\x99", "\xA4\xAC"},  // か + ゙ -> が
        {"not equal", "=\xCC\xB8", "\xA1\xD9"},
        {"a + diaeresis: no ä in GBK", "a\xCC\x88", "a?"},
        {"mark with no base",
         "\xCC\x81"
         "a",
         "?a"},
        {"mark after a Chinese character", "\xE4\xB8\xAD\xCC\x81", "\xD6\xD0?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(string_of(text::utf8_bytes_to_gbk(bytes_of(c.utf8)))), hex(c.gbk)) << c.what;
    }
}

TEST(CodePages, Utf16UnitsEndWithOneNulUnit) {
    EXPECT_EQ(hex(string_of(text::to_utf16("\xD6\xD0"
                                           "a",
                                           text::code_page_gbk))),
              "2D 4E 61 00 00 00");
    EXPECT_EQ(hex(string_of(text::to_utf16("\xE2\x82\xAC", text::code_page_utf8))), "AC 20 00 00");
    EXPECT_TRUE(text::to_utf16("", text::code_page_gbk).empty());

    // Read up to the first NUL unit; a zero byte inside a unit is no NUL unit.
    EXPECT_EQ(text::from_utf16(bytes_of(std::string_view("\x2D\x4E"
                                                         "a\0\0\0b\0",
                                                         8)),
                               text::code_page_gbk),
              "\xD6\xD0"
              "a");
    EXPECT_EQ(text::from_utf16(bytes_of(std::string_view("\x00\x4E", 2)), text::code_page_utf8),
              "\xE4\xB8\x80");
    EXPECT_EQ(text::from_utf16(bytes_of(std::string_view("A\0B", 3)), text::code_page_utf8), "A");
    EXPECT_EQ(text::from_utf16(bytes_of(std::string_view("\x3D\xD8"
                                                         "A\0",
                                                         4)),
                               text::code_page_gbk),
              "?A");
    EXPECT_EQ(text::from_utf16({}, text::code_page_gbk), "");

    const Text gbk = "\xD6\xD0\xCE\xC4 \x80";
    EXPECT_EQ(text::from_utf16(text::to_utf16(gbk, text::code_page_gbk), text::code_page_gbk), gbk);
}

TEST(CodePages, LongInputsGrowTheResultAndRepairThroughout) {
    // 0x80 is three times longer in UTF-8; bad bytes are spread across the whole input.
    std::string gbk, utf8;
    for (int i = 0; i < 20000; ++i) {
        gbk +=
            "\x80"
            "a\xD6\xD0";
        utf8 +=
            "\xE2\x82\xAC"
            "a\xE4\xB8\xAD";
        if (i % 97 == 0) {
            gbk += "\xFF";
            utf8 += "?";
        }
    }
    EXPECT_EQ(text::gbk_to_utf8(gbk), utf8);
}

TEST(CodePages, ConversionsOnManyThreadsAtOnce) {
    // Every direction at once on every thread: iconv descriptors keep state between calls.
    const std::string gbk =
        "\xD6\xD0\xCE\xC4"
        "abc\x80\xFF";
    const std::string utf8 =
        "\xE4\xB8\xAD\xE6\x96\x87"
        "abc\xE2\x82\xAC?";
    const Bytes body = bytes_of(
        "\xE4\xB8\xAD\xC3\xA4"
        "e\xCC\x81");
    const Bytes body_gbk = bytes_of("\xD6\xD0?\xA8\xA6");
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (text::gbk_to_utf8(gbk) != utf8) ++failures[t];
                if (text::utf8_to_gbk(utf8) !=
                    "\xD6\xD0\xCE\xC4"
                    "abc\x80?")
                    ++failures[t];
                if (text::utf8_bytes_to_gbk(body) != body_gbk) ++failures[t];
                if (text::url_decode("%E4%B8%AD", true) != "\xD6\xD0") ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
