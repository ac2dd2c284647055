#include "app/config.h"

#include <string>

#include <gtest/gtest.h>

#include "text/charset.h"

namespace {

using text::Bytes;
using text::Text;

Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Cases are written in UTF-8 and handed to the configuration as GBK, as the stored file holds it.
Text gbk(std::string_view utf8) { return text::utf8_to_gbk(utf8); }

// A plain form that may hold a zero byte, which utf8_to_gbk would stop at.
Text gbk_with_nul(std::string_view before, std::string_view after) {
    return gbk(before) + std::string(1, '\0') + gbk(after);
}

TEST(Rc4, MatchesTheKnownTestVectors) {
    const struct {
        std::string_view key, plain;
        Bytes cipher;
    } cases[] = {
        {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
        {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
        {"Secret",
         "Attack at dawn",
         {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::rc4(bytes_of(c.plain), bytes_of(c.key)), c.cipher) << c.key;
        EXPECT_EQ(app::rc4(c.cipher, bytes_of(c.key)), bytes_of(c.plain)) << c.key;
    }
    EXPECT_TRUE(app::rc4({}, bytes_of("Key")).empty());
}

TEST(Rc4, TheKeyIsTheGbkBytesOfTheBookmarkWord) {
    EXPECT_EQ(app::config_key(), bytes_of("KD\xCA\xE9\xC7\xA9"));
}

TEST(Config, StoredFormIsTheSameLengthAndDecryptsBack) {
    Text plain = gbk("磁力=http://a.example/?q=\r\n电驴=B\r\n番号=C\r\n云点播=D\r\n");
    for (int i = 0; i < 300; ++i) plain += "x";  // beyond one turn of the 256-byte state
    const Bytes stored = app::encrypt_config(plain);
    ASSERT_EQ(stored.size(), plain.size());
    EXPECT_NE(stored, bytes_of(plain));
    EXPECT_EQ(app::decrypt_config(stored), plain);
    // Decrypting and encrypting again gives back the stored file.
    EXPECT_EQ(app::encrypt_config(app::decrypt_config(stored)), stored);
}

TEST(Config, CutsTheFourValues) {
    struct Case {
        const char* what;
        Text plain;
        const char *magnet, *ed2k, *code, *cloud;
    };
    const Case cases[] = {
        {"CR LF lines", gbk("磁力=A\r\n电驴=B\r\n番号=C\r\n云点播=D\r\n"), "A", "B", "C", "D"},
        {"last line unended", gbk("磁力=A\r\n电驴=B\r\n番号=C\r\n云点播=D"), "A", "B", "C", "D"},
        {"LF-only lines keep their LF", gbk("磁力=A\n电驴=B\n番号=C\n云点播=D\n"), "A\n", "B\n", "C\n",
         "D\n"},
        {"lone CR stays", gbk("磁力=A\r电驴=B\r\n番号=C\r\n云点播=D\r"), "A\r", "B", "C", "D\r"},
        {"spaces stay", gbk("磁力= A \r\n电驴=\tB\r\n番号=C \r\n云点播= D\r\n"), " A ", "\tB", "C ", " D"},
        {"CR LF inside a value joins its halves",
         gbk("磁力=http://a.exa\r\nmple/\r\n电驴=B\r\n番号=C\r\n云点播=D\r\n"), "http://a.example/", "B", "C",
         "D"},
        {"text before the first key is ignored", gbk("[config]\r\n磁力=A\r\n电驴=B\r\n番号=C\r\n云点播=D"),
         "A", "B", "C", "D"},
        {"zero byte in line 3", gbk_with_nul("磁力=A\r\n电驴=B\r\n番号=C", "\r\n云点播=D\r\n"), "A", "B", "",
         ""},
        {"two cloud lines", gbk("磁力=A\r\n电驴=B\r\n番号=C\r\n云点播=D1\r\n云点播=D2\r\n"), "A", "B", "C",
         "D2"},
        {"ed2k word inside the magnet value", gbk("磁力=A电驴X\r\n电驴=B\r\n番号=C\r\n云点播=D"), "A", "B",
         "C", "D"},
        {"missing cloud line", gbk("磁力=A\r\n电驴=B\r\n番号=C\r\n"), "A", "B", "", ""},
        {"missing magnet line", gbk("电驴=B\r\n番号=C\r\n云点播=D"), "", "B", "C", "D"},
        {"keys out of order", gbk("电驴=B\r\n磁力=A\r\n番号=C\r\n云点播=D"), "", "B磁力=A", "C", "D"},
        {"empty", "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const app::Endpoints e = app::parse_endpoints(text::to_text(text::to_bytes(c.plain)));
        EXPECT_EQ(e.magnet_base, gbk(c.magnet));
        EXPECT_EQ(e.ed2k_base, gbk(c.ed2k));
        EXPECT_EQ(e.code_base, gbk(c.code));
        EXPECT_EQ(e.cloud_play_base, gbk(c.cloud));
        // The same through a stored file, where the zero byte is decrypted too and ends the text.
        const app::Endpoints stored = app::read_endpoints(app::encrypt_config(c.plain));
        EXPECT_EQ(stored.magnet_base, e.magnet_base);
        EXPECT_EQ(stored.ed2k_base, e.ed2k_base);
        EXPECT_EQ(stored.code_base, e.code_base);
        EXPECT_EQ(stored.cloud_play_base, e.cloud_play_base);
    }
}

TEST(Config, EmptyOrForeignFilesGiveEmptyFields) {
    const Text plain = gbk("磁力=A\r\n电驴=B\r\n番号=C\r\n云点播=D\r\n");
    const Bytes empty;
    const Bytes other_key = app::rc4(text::to_bytes(plain), bytes_of("another key"));
    const Bytes not_encrypted = text::to_bytes(plain);
    for (const Bytes* raw : {&empty, &other_key, &not_encrypted}) {
        const app::Endpoints e = app::read_endpoints(*raw);
        EXPECT_EQ(e.magnet_base + e.ed2k_base + e.code_base + e.cloud_play_base, "");
    }
}

}  // namespace
