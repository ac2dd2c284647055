// xinghe-config run as the program it is, on files in a fresh temporary directory.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/config.h"
#include "tests/support/programs.h"
#include "text/charset.h"

namespace {

namespace fs = std::filesystem;
using ToolRun = test_support::ProgramRun;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class ConfigTool : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "xinghe-config-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path at(const std::string& name) const { return dir_ / name; }

    test_support::ProgramRun run(const std::string& arguments) const {
        return test_support::run_program(std::string("'") + XINGHE_CONFIG_TOOL + "' " + arguments,
                                         dir_.string());
    }

    fs::path dir_;
};

const char* const shipped_lines =
    "磁力=http://btdigg.example/search?q=\n"
    "电驴=http://ed2k.example/search/\n"
    "番号=http://code.example/search/\n"
    "云点播=http://cloud-player.example/play.php?url=\n";

TEST_F(ConfigTool, EncryptThenShowAndDecrypt) {
    // Mixed line ends come out as CR LF throughout.
    write_file(at("plain.txt"),
               "磁力=http://a.example/?q=\r\n电驴=http://b.example/\n番号=C\n云点播=http://d.example/?u=");
    ASSERT_EQ(run("encrypt " + at("plain.txt").string() + " " + at("peizhi.ini").string()).exit_code, 0);

    const std::string stored = read_file(at("peizhi.ini"));
    const std::string plain_gbk = text::utf8_to_gbk(
        "磁力=http://a.example/?q=\r\n电驴=http://b.example/\r\n番号=C\r\n云点播=http://d.example/?u=");
    EXPECT_EQ(stored.size(), plain_gbk.size());
    const app::Endpoints e = app::read_endpoints(text::Bytes(stored.begin(), stored.end()));
    EXPECT_EQ(e.ed2k_base, "http://b.example/");

    const ToolRun shown = run("show " + at("peizhi.ini").string());
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_EQ(shown.out,
              "磁力=http://a.example/?q=\n电驴=http://b.example/\n番号=C\n云点播=http://d.example/?u=\n");

    const ToolRun decrypted = run("decrypt " + at("peizhi.ini").string());
    EXPECT_EQ(decrypted.exit_code, 0);
    EXPECT_EQ(decrypted.out,
              "磁力=http://a.example/?q=\r\n电驴=http://b.example/\r\n番号=C\r\n云点播=http://d.example/?u=");
    EXPECT_EQ(decrypted.err, "");
}

TEST_F(ConfigTool, ShowWritesLineBreaksInsideValuesAsEscapes) {
    const text::Bytes stored =
        app::encrypt_config(text::utf8_to_gbk("磁力=A\n电驴=B\r番号=C\r\n云点播=D\r\n"));
    write_file(at("peizhi.ini"), std::string(stored.begin(), stored.end()));
    const ToolRun shown = run("show " + at("peizhi.ini").string());
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_EQ(shown.out, "磁力=A\\n\n电驴=B\\r\n番号=C\n云点播=D\n");
}

TEST_F(ConfigTool, ShowWarnsAboutAFileUnderAnotherKey) {
    write_file(at("peizhi.ini"),
               text::utf8_to_gbk("磁力=A\r\n电驴=B\r\n番号=C\r\n云点播=D\r\n"));  // never encrypted
    const ToolRun shown = run("show " + at("peizhi.ini").string());
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_EQ(shown.out, "磁力=\n电驴=\n番号=\n云点播=\n");
    EXPECT_NE(shown.err.find("warning"), std::string::npos);
}

TEST_F(ConfigTool, WrongArgumentsAndMissingFilesExitWithTwo) {
    write_file(at("plain.txt"), shipped_lines);
    const std::string missing = at("missing.ini").string();
    const std::string cases[] = {
        "",
        "frobnicate x",
        "show",
        "show a b",
        "decrypt",
        "encrypt " + at("plain.txt").string(),
        "show " + missing,
        "decrypt " + missing,
        "show " + dir_.string(),  // a directory is no file
        "encrypt " + missing + " " + at("out.ini").string(),
        "encrypt " + at("plain.txt").string() + " " + dir_.string(),
    };
    for (const std::string& arguments : cases) {
        const ToolRun r = run(arguments);
        EXPECT_EQ(r.exit_code, 2) << arguments;
        EXPECT_EQ(r.out, "") << arguments;
        EXPECT_NE(r.err, "") << arguments;
    }
    EXPECT_FALSE(fs::exists(at("out.ini")));
}

TEST_F(ConfigTool, NeverWritesOverItsInput) {
    write_file(at("plain.txt"), shipped_lines);
    fs::create_directory(at("sub"));
    fs::create_symlink(at("plain.txt"), at("link.txt"));
    fs::create_hard_link(at("plain.txt"), at("hard.txt"));
    const std::string plain = at("plain.txt").string();
    for (const std::string& out :
         {plain, at("sub").string() + "/../plain.txt", at("link.txt").string(), at("hard.txt").string()}) {
        const ToolRun r = run("encrypt " + plain + " " + out);
        EXPECT_EQ(r.exit_code, 2) << out;
        EXPECT_NE(r.err, "") << out;
        EXPECT_EQ(read_file(at("plain.txt")), shipped_lines) << out;
    }
}

TEST_F(ConfigTool, RefusesTextThatGbkCannotHold) {
    for (const std::string_view bad :
         {std::string_view("磁力=\xF0\x9F\x98\x80\n"), std::string_view("磁力=\xE4\xB8\n"),
          std::string_view("磁力=a\0b\n", 10)}) {
        write_file(at("plain.txt"), bad);
        const ToolRun r = run("encrypt " + at("plain.txt").string() + " " + at("out.ini").string());
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_NE(r.err.find("plain.txt:1"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(at("out.ini")));
    }
}

TEST_F(ConfigTool, TheBuildShipsTheEncryptedTemplate) {
    const fs::path build_dir = XINGHE_BUILD_ROOT;
    const ToolRun shown = run("show " + (build_dir / "peizhi.ini").string());
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_EQ(shown.out, shipped_lines);
    EXPECT_TRUE(fs::exists(build_dir / "1.html"));
}

}  // namespace
