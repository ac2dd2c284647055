#include "text/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/text/exact_text.h"

namespace {

using text::Bytes;
using text::Text;

TEST(TextList, ItemsOutsideTheListAreEmpty) {
    const text::TextList list{"a", "b"};
    EXPECT_EQ(text::list_count(list), 2);
    EXPECT_EQ(text::list_item(list, 1), "a");
    EXPECT_EQ(text::list_item(list, 2), "b");
    EXPECT_EQ(text::list_item(list, 0), "");
    EXPECT_EQ(text::list_item(list, 3), "");
    EXPECT_EQ(text::list_item({}, 1), "");
}

TEST(ToInt, ReadsTheLeadingNumber) {
    struct Case {
        Text in;
        int want;
    };
    const Case cases[] = {
        {" 42abc", 42},
        {"-7", -7},
        {"+8", 8},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"\t\r\n\v\f 5", 5},
        {"4 2", 4},
        {"--1", 0},
        {"\xA3\xB1\xA3\xB2", 12},  // full-width digits
        {"\xA1\xA1\xA3\xAD\xA3\xB3"
         "x",
         -3},  // full-width space and minus
        {"\xA3\xB1"
         "2",
         12},  // mixed widths
        {"\xB0\xA1"
         "1",
         0},          // another character stops the reading
        {"\xA3", 0},  // a lone lead byte
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"2147483648", std::numeric_limits<int>::max()},
        {"99999999999999999999", std::numeric_limits<int>::max()},
        {"-99999999999999999999", std::numeric_limits<int>::min()},
        {"000000000000000000001", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(text::to_int(ExactText(c.in)), c.want) << c.in;
}

TEST(ToText, Formats) {
    struct Case {
        Text got, want;
    };
    const Case cases[] = {
        {text::to_text(0), "0"},
        {text::to_text(-15), "-15"},
        {text::to_text(std::numeric_limits<int>::min()), "-2147483648"},
        {text::to_text(std::int64_t{5000000000}), "5000000000"},
        {text::to_text(12.5), "12.5"},
        {text::to_text(100.0), "100"},
        {text::to_text(1.0 / 3.0), "0.3333333333333"},
        {text::to_text(-0.25), "-0.25"},
        {text::to_text(1e20), "1e+20"},
        {text::to_text(Bytes{0x61, 0x62, 0x00, 0x63}), "ab"},
        {text::to_text(Bytes{0x61, 0x62}), "ab"},
        {text::to_text(Bytes{}), ""},
        {text::to_text(std::string_view("xy")), "xy"},
        {text::to_hex_text(255), "FF"},
        {text::to_hex_text(10), "A"},
        {text::to_hex_text(0), "0"},
        {text::to_hex_text(-1), "FFFFFFFF"},
        {text::char_from_code(65), "A"},
        {text::char_from_code(0), ""},
        {text::char_from_code(0x141), "A"},
        {text::char_from_code(256), ""},
        {text::char_from_code(0xB0), "\xB0"},
        {text::blank_text(3), "   "},
        {text::blank_text(0), ""},
        {text::blank_text(-2), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(ByteBuffers, CutsAndSearch) {
    const Bytes b{1, 0, 2, 0, 3};
    EXPECT_EQ(text::bytes_length(b), 5);
    EXPECT_EQ(text::bytes_left(b, 2), (Bytes{1, 0}));
    EXPECT_EQ(text::bytes_left(b, 9), b);
    EXPECT_EQ(text::bytes_left(b, -1), Bytes{});
    EXPECT_EQ(text::bytes_left(b, 0), Bytes{});
    EXPECT_EQ(text::find_bytes(b, Bytes{0, 3}), 4);
    EXPECT_EQ(text::find_bytes(b, Bytes{0}), 2);
    EXPECT_EQ(text::find_bytes(b, Bytes{}), -1);
    EXPECT_EQ(text::find_bytes(b, Bytes{3, 0}), -1);
    EXPECT_EQ(text::find_bytes(Bytes{}, Bytes{1}), -1);
    // Byte buffers are not text: a match may begin anywhere.
    EXPECT_EQ(text::find_bytes(Bytes{0xB0, 0xA1, 0xB0}, Bytes{0xA1, 0xB0}), 2);
    EXPECT_EQ(text::to_bytes("a\xB0"), (Bytes{0x61, 0xB0}));
    EXPECT_EQ(text::blank_bytes(2), (Bytes{0, 0}));
    EXPECT_EQ(text::blank_bytes(0), Bytes{});
}

TEST(RoundDecimal, HalvesAwayFromZero) {
    struct Case {
        double x;
        int decimals;
        double want;
    };
    const Case cases[] = {
        {1.005, 2, 1.01}, {2.5, 0, 3.0},       {-2.5, 0, -3.0},      {0.0, 2, 0.0},        {2.4, 0, 2.0},
        {-2.4, 0, -2.0},  {1.23456, 3, 1.235}, {1250.0, -2, 1300.0}, {1249.0, -2, 1200.0}, {-0.5, 0, -1.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(text::round_decimal(c.x, c.decimals), c.want) << c.x;
    EXPECT_TRUE(std::isnan(text::round_decimal(std::nan(""), 1)));
}

}  // namespace
