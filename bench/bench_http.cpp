// The HTTP client against the curl command-line tool, fetching the same addresses from the
// same loopback server in one run:
//   - http_download of a 256 MB body (with a progress routine that formats the four texts of
//     the update window after every piece) against `curl -s -o FILE`;
//   - web_request_text of a 1 MB page against `curl -s -o /dev/null`.
// Both sides run as child processes started the same way; the medians of alternating rounds
// are compared and printed as ratios. A page round fetches the page 20 times in one process,
// each time over a new connection (curl is told "Connection: close"), so the start-up of a
// process, which is not what is measured, weighs little on either side.
//
//   bench_http [--rounds N]      (N download rounds; page rounds are 2x that)

#include <sys/wait.h>
#include <unistd.h>

#include <spawn.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "http/download.h"
#include "http/request.h"
#include "tests/support/http_server.h"
#include "text/gbk_literal.h"
#include "text/text.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t download_size = 256u << 20;
constexpr std::size_t page_size = 1u << 20;
constexpr int fetches_per_round = 20;

GBK_CONSTANT(speed_unit, "KB/秒")
GBK_CONSTANT(done_prefix, "已完成：")

// What the update window does with each report: speed, bar position, percentage, size.
struct ProgressTexts {
    text::Text speed, percentage, size;
    int bar = 0;
    std::size_t reports = 0;
};

int child_download(const char* url, const char* file) {
    ProgressTexts texts;
    const int result = http::http_download(
        url, file,
        [&texts](std::int32_t total, std::int32_t done, std::int32_t elapsed, std::int32_t this_run) {
            const double speed = text::round_decimal((this_run * 1000.0 / 1024.0) / elapsed, 2);
            texts.speed = text::to_text(speed) + speed_unit();
            if (total != 0) {
                texts.bar = static_cast<int>(done * 10000.0 / total);
                texts.percentage =
                    done_prefix() +
                    text::to_text(text::round_decimal(done / static_cast<double>(total) * 100)) + "%";
            }
            texts.size = text::to_text(text::round_decimal(total / 1048576.0, 2)) + "MB";
            ++texts.reports;
        });
    return result == http::download_complete && texts.bar == 10000 && texts.size == "256MB" ? 0 : 1;
}

int child_fetch(const char* url) {
    for (int i = 0; i < fetches_per_round; ++i) {
        http::RequestOptions options;
        options.url = url;
        const text::Text page = http::web_request_text(options);
        if (page.size() != page_size || options.failed) return 1;
    }
    return 0;
}

// Runs a program to its end; the wall time in seconds, or a negative value when it failed.
double timed_run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Pair {
    std::vector<double> ours, curl;
};

bool compare(const char* what, const std::vector<std::string>& ours, const std::vector<std::string>& curl,
             int rounds, Pair& times, const std::function<bool()>& check = nullptr) {
    for (int i = 0; i < rounds; ++i) {
        // Alternate which side goes first so neither always meets a warm or cold cache.
        for (int side = 0; side < 2; ++side) {
            const bool ours_now = (i + side) % 2 == 0;
            const double t = timed_run(ours_now ? ours : curl);
            if (t < 0 || (check && !check())) {
                std::fprintf(stderr, "%s: %s run %d failed\n", what, ours_now ? "our" : "curl", i);
                return false;
            }
            (ours_now ? times.ours : times.curl).push_back(t);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--download") == 0) return child_download(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--fetch") == 0) return child_fetch(argv[2]);
    int rounds = 5;
    if (argc == 3 && std::strcmp(argv[1], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[2]));

    const std::string self = fs::read_symlink("/proc/self/exe").string();
    test_support::HttpServer server;
    server.on("/big.exe", test_support::large_body(download_size));
    std::string page;
    page.reserve(page_size);
    for (int row = 0; page.size() < page_size; ++row)
        page += "<tr><td class=\"name\">row " + std::to_string(row) + "</td><td>1.2GB</td></tr>\n";
    page.resize(page_size);
    server.on("/page.html", test_support::page(page));

    const fs::path dir = fs::temp_directory_path() / ("bench-http-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string ours_file = (dir / "ours.bin").string();
    const std::string curl_file = (dir / "curl.bin").string();
    const std::string big = server.url("/big.exe");
    const std::string page_url = server.url("/page.html");

    auto sizes_right = [&] {
        std::error_code e1, e2;
        const auto a = fs::file_size(ours_file, e1), b = fs::file_size(curl_file, e2);
        return (e1 || a == download_size) && (e2 || b == download_size);
    };
    std::vector<std::string> curl_fetch = {"curl", "-s", "-H", "Connection: close"};
    for (int i = 0; i < fetches_per_round; ++i)
        curl_fetch.insert(curl_fetch.end(), {"-o", "/dev/null", page_url});
    Pair download, fetch;
    const bool ok = compare("download", {self, "--download", big, ours_file},
                            {"curl", "-s", "-o", curl_file, big}, rounds, download, sizes_right) &&
                    compare("page", {self, "--fetch", page_url}, curl_fetch, rounds * 2, fetch);
    fs::remove_all(dir);
    if (!ok) return 1;

    const double d_ours = median(download.ours), d_curl = median(download.curl);
    const double f_ours = median(fetch.ours), f_curl = median(fetch.curl);
    std::printf("http_download 256 MB:    ours %.3f s, curl -o %.3f s (median of %d)\n", d_ours, d_curl,
                rounds);
    std::printf("web_request_text 1 MB:   ours %.4f s, curl %.4f s per fetch (median of %d rounds of %d)\n",
                f_ours / fetches_per_round, f_curl / fetches_per_round, rounds * 2, fetches_per_round);
    std::printf("http_download: %.2fx curl -s -o FILE (aim: 1.15x or less)\n", d_ours / d_curl);
    std::printf("web_request_text: %.2fx curl (aim: 1.5x or less)\n", f_ours / f_curl);
    return 0;
}
