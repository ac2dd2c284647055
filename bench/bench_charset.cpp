// Speed of URL decoding and of turning UTF-8 pages into GBK, each against a baseline measured in
// the same run:
//   url_decode over a result page     vs memcpy of the same bytes      (target: >= 500 MB/s)
//   utf8_bytes_to_gbk over a page     vs one bare iconv() call         (target: within 1.2x)
//   a keyword-sized conversion        vs iconv_open/iconv/iconv_close per call (why descriptors
//                                        are kept per thread)
// The ratios are printed after Google Benchmark's own table.

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unistd.h>

#include "platform/codepage.h"
#include "text/charset.h"

namespace {

// About 4 MB of result-page text: markup, GBK names and the percent escapes that
// search engines leave in their links (roughly one byte in fifty starts an escape).
const std::string& gbk_page() {
    static const std::string page = [] {
        const std::string row =
            "<tr class=\"item\"><td><a href=\"/detail/%E4%B8%AD%E6%96%87-1080p\">\xD6\xD0\xCE\xC4 "
            "\xB5\xE7\xD3\xB0 1080p</a></td><td class=\"size\">1.4 GB</td>"
            "<td><a href=\"magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&amp;dn=x\">"
            "\xB4\xC5\xC1\xA6\xC1\xB4\xBD\xD3</a></td></tr>\n";
        std::string s;
        while (s.size() < 4u << 20) s += row;
        return s;
    }();
    return page;
}

// The same amount of page text as a UTF-8 body, as a UTF-8 site sends it.
const text::Bytes& utf8_body() {
    static const text::Bytes body = [] {
        const std::string utf8 = text::gbk_to_utf8(gbk_page());
        return text::Bytes(utf8.begin(), utf8.end());
    }();
    return body;
}

void BM_memcpy_page(benchmark::State& state) {
    const std::string& page = gbk_page();
    std::string copy(page.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), page.data(), page.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_url_decode_page(benchmark::State& state) {
    const std::string& page = gbk_page();
    for (auto _ : state) {
        text::Text decoded = text::url_decode(page);
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_bare_iconv_utf8_to_cp936(benchmark::State& state) {
    const text::Bytes& body = utf8_body();
    iconv_t cd = iconv_open("CP936", "UTF-8");
    std::vector<char> out(body.size());
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(reinterpret_cast<const char*>(body.data()));
        std::size_t in_left = body.size();
        char* target = out.data();
        std::size_t target_left = out.size();
        iconv(cd, &in, &in_left, &target, &target_left);
        benchmark::DoNotOptimize(target);
        benchmark::ClobberMemory();
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void BM_utf8_bytes_to_gbk(benchmark::State& state) {
    const text::Bytes& body = utf8_body();
    for (auto _ : state) {
        text::Bytes gbk = text::utf8_bytes_to_gbk(body);
        benchmark::DoNotOptimize(gbk.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

const std::string keyword = "\xD6\xD0\xCE\xC4 1080p";  // 中文 1080p

void BM_keyword_kept_descriptor(benchmark::State& state) {
    for (auto _ : state) {
        std::string utf8 = platform::convert_code_page(keyword, platform::cp_gbk, platform::cp_utf8);
        benchmark::DoNotOptimize(utf8.data());
    }
}

void BM_keyword_open_per_call(benchmark::State& state) {
    for (auto _ : state) {
        iconv_t cd = iconv_open("UTF-8", "CP936");
        std::string utf8(keyword.size() * 2, '\0');
        char* in = const_cast<char*>(keyword.data());
        std::size_t in_left = keyword.size();
        char* target = utf8.data();
        std::size_t target_left = utf8.size();
        iconv(cd, &in, &in_left, &target, &target_left);
        iconv_close(cd);
        benchmark::DoNotOptimize(utf8.data());
    }
}

BENCHMARK(BM_memcpy_page);
BENCHMARK(BM_url_decode_page);
BENCHMARK(BM_bare_iconv_utf8_to_cp936);
BENCHMARK(BM_utf8_bytes_to_gbk);
BENCHMARK(BM_keyword_kept_descriptor);
BENCHMARK(BM_keyword_open_per_call);

// Keeps each benchmark's time per iteration and throughput for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal; CPU time, because the machines we measure on are shared.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    struct Figures {
        double seconds_per_iteration = 0;
        double bytes_per_second = 0;
    };
    std::map<std::string, Figures> figures;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            Figures f;
            f.seconds_per_iteration = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            const auto bytes = run.counters.find("bytes_per_second");
            if (bytes != run.counters.end()) f.bytes_per_second = bytes->second.value;
            figures[run.benchmark_name()] = f;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& f = reporter.figures;
    const auto has = [&](const char* name) { return f.count(name) != 0; };
    std::printf("\n");
    if (has("BM_url_decode_page") && has("BM_memcpy_page")) {
        const double decode = f.at("BM_url_decode_page").bytes_per_second / 1e6;
        const double copy = f.at("BM_memcpy_page").bytes_per_second / 1e6;
        std::printf(
            "url_decode: %.0f MB/s (target >= 500), memcpy: %.0f MB/s, url_decode/memcpy speed: %.3f\n",
            decode, copy, decode / copy);
    }
    if (has("BM_utf8_bytes_to_gbk") && has("BM_bare_iconv_utf8_to_cp936")) {
        const double ours = f.at("BM_utf8_bytes_to_gbk").seconds_per_iteration;
        const double bare = f.at("BM_bare_iconv_utf8_to_cp936").seconds_per_iteration;
        std::printf(
            "utf8_bytes_to_gbk: %.0f MB/s, bare iconv: %.0f MB/s, CPU time ratio ours/bare: %.3f (target <= "
            "1.2)\n",
            f.at("BM_utf8_bytes_to_gbk").bytes_per_second / 1e6,
            f.at("BM_bare_iconv_utf8_to_cp936").bytes_per_second / 1e6, ours / bare);
    }
    if (has("BM_keyword_kept_descriptor") && has("BM_keyword_open_per_call")) {
        const double kept = f.at("BM_keyword_kept_descriptor").seconds_per_iteration;
        const double opened = f.at("BM_keyword_open_per_call").seconds_per_iteration;
        std::printf(
            "keyword conversion: %.0f ns with a kept descriptor, %.0f ns opening one per call (%.1fx)\n",
            kept * 1e9, opened * 1e9, opened / kept);
    }
    return 0;
}
