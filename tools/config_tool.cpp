// xinghe-config: writes and reads peizhi.ini, the RC4-encrypted GBK configuration, which nobody
// can edit by hand.
//
//   xinghe-config encrypt PLAIN OUT   UTF-8 text file -> GBK with CR LF line ends -> encrypted OUT
//   xinghe-config decrypt INI         the plain form, as UTF-8
//   xinghe-config show INI            the four endpoints exactly as the program reads them
//
// Exit codes: 0 done, 1 the work failed (unwritable output, text GBK cannot hold),
// 2 wrong arguments or a missing input file. An input file is never written.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "app/config.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "text/charset.h"

namespace {

constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

const char* const usage_text =
    "usage: xinghe-config encrypt PLAIN OUT   encrypt a UTF-8 text file into OUT\n"
    "       xinghe-config decrypt INI         print the plain form of INI\n"
    "       xinghe-config show INI            print the four endpoints the program reads from INI\n";

int usage(const char* problem) {
    std::fprintf(stderr, "xinghe-config: %s\n%s", problem, usage_text);
    return exit_usage;
}

int fail(const std::string& message, int code = exit_failed) {
    std::fprintf(stderr, "xinghe-config: %s\n", message.c_str());
    return code;
}

void write_out(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// Reads an input file; on failure returns the exit code to end with, after telling why.
int read_input(const std::string& path, text::Bytes& contents) {
    if (!platform::file_exists(path)) return fail(path + ": no such file", exit_usage);
    if (!platform::read_whole_file(path, contents)) return fail(path + ": cannot be read");
    return 0;
}

// A file's text is taken as GBK by the program; none of the keys in it usually means the
// file was written for another key or is no configuration at all.
void warn_if_foreign(const text::Text& plain, const std::string& path) {
    for (const char* key : {"磁力=", "电驴=", "番号=", "云点播="}) {
        if (plain.find(text::utf8_to_gbk(key)) != text::Text::npos) return;
    }
    std::fprintf(stderr, "xinghe-config: warning: %s holds none of the keys; is it a configuration file?\n",
                 path.c_str());
}

// LF and CR LF both become CR LF; a lone CR stays as it is.
std::string with_crlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// The first line whose characters do not survive the way to GBK and back (a character GBK
// lacks, malformed UTF-8, a zero byte, which would end the text early), or 0.
int first_unconvertible_line(std::string_view utf8) {
    int line = 1;
    std::size_t begin = 0;
    while (begin <= utf8.size()) {
        std::size_t end = utf8.find('\n', begin);
        if (end == std::string_view::npos) end = utf8.size();
        const std::string_view piece = utf8.substr(begin, end - begin);
        if (piece.find('\0') != std::string_view::npos) return line;
        const std::string there = platform::convert_code_page(piece, platform::cp_utf8, platform::cp_gbk);
        if (platform::convert_code_page(there, platform::cp_gbk, platform::cp_utf8) != piece) return line;
        begin = end + 1;
        ++line;
    }
    return 0;
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// Written beside the target and renamed over it, so a failed run leaves any old OUT intact.
bool replace_file(const std::string& path, const text::Bytes& contents) {
    const std::string partial = path + ".partial-" + std::to_string(::getpid());
    if (!platform::write_whole_file(partial, contents)) {
        std::remove(partial.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    if (ec) std::remove(partial.c_str());
    return !ec;
}

int encrypt(const std::string& plain_path, const std::string& out_path) {
    text::Bytes contents;
    if (const int code = read_input(plain_path, contents)) return code;
    if (same_file(plain_path, out_path))
        return fail(out_path + " is the input file; choose another OUT", exit_usage);
    std::error_code ec;
    if (std::filesystem::is_directory(out_path, ec)) return fail(out_path + " is a directory", exit_usage);

    std::string_view utf8(reinterpret_cast<const char*>(contents.data()), contents.size());
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);  // an editor's byte order mark
    if (const int line = first_unconvertible_line(utf8)) {
        return fail(plain_path + ":" + std::to_string(line) +
                    ": not UTF-8 text that GBK can hold (a zero byte, a malformed sequence or a character "
                    "outside GBK)");
    }
    const std::string gbk = platform::convert_code_page(with_crlf(utf8), platform::cp_utf8, platform::cp_gbk);
    if (!replace_file(out_path, app::encrypt_config(gbk))) return fail(out_path + ": cannot be written");
    return 0;
}

int decrypt(const std::string& ini_path) {
    text::Bytes raw;
    if (const int code = read_input(ini_path, raw)) return code;
    const text::Bytes plain = app::rc4(raw, app::config_key());
    warn_if_foreign(text::to_text(plain), ini_path);
    // Everything the file holds, also past a zero byte that the program would stop at.
    const std::string_view gbk(reinterpret_cast<const char*>(plain.data()), plain.size());
    write_out(platform::convert_code_page(gbk, platform::cp_gbk, platform::cp_utf8));
    return 0;
}

std::string shown(const text::Text& value) {
    std::string out;
    for (const char c : text::gbk_to_utf8(value)) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

int show(const std::string& ini_path) {
    text::Bytes raw;
    if (const int code = read_input(ini_path, raw)) return code;
    warn_if_foreign(app::decrypt_config(raw), ini_path);
    const app::Endpoints e = app::read_endpoints(raw);
    write_out("磁力=" + shown(e.magnet_base) + "\n");
    write_out("电驴=" + shown(e.ed2k_base) + "\n");
    write_out("番号=" + shown(e.code_base) + "\n");
    write_out("云点播=" + shown(e.cloud_play_base) + "\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage("no command given");
    const std::string& command = args[0];
    if (command == "encrypt") {
        if (args.size() != 3) return usage("encrypt takes PLAIN and OUT");
        return encrypt(args[1], args[2]);
    }
    if (command == "decrypt" || command == "show") {
        if (args.size() != 2) return usage((command + " takes one INI file").c_str());
        return command == "decrypt" ? decrypt(args[1]) : show(args[1]);
    }
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(usage_text, stdout);
        return 0;
    }
    return usage(("unknown command '" + command + "'").c_str());
}
