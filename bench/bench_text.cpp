// GBK-aware scanning against plain std::string_view::find on the same result page.
// Every measured operation is paired with its baseline; the closing lines print each
// operation's time as a ratio of its baseline's, measured in this same run.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "text/extract.h"
#include "text/text.h"

namespace {

// A deterministic search result page of about 1 MB: table rows of HTML around GBK names.
std::string make_page() {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    auto gbk_word = [&](int characters) {
        std::string word;
        for (int i = 0; i < characters; ++i) {
            if (next() % 8 == 0) {  // an extension character, whose trail byte is below 0x80
                word += static_cast<char>(0x81 + next() % 0x1F);
                word += static_cast<char>(0x40 + next() % 0x3F);
            } else {
                word += static_cast<char>(0xB0 + next() % 0x48);
                word += static_cast<char>(0xA1 + next() % 0x5E);
            }
        }
        return word;
    };
    std::string page = "<html><head><meta charset=\"gbk\"><title>" + gbk_word(4) +
                       "</title></head>\n<body><table class=\"list\">\n";
    for (int row = 1; page.size() < (1u << 20); ++row) {
        const std::string name = gbk_word(3 + static_cast<int>(next() % 6)) + " " + std::to_string(row) +
                                 " " + gbk_word(2) + " [1080P]";
        page += "<tr class=\"item\"><td class=\"name\"><a href=\"/torrent/" + std::to_string(100000 + row) +
                ".html\" title=\"" + name + "\">" + name + "</a></td><td class=\"size\">" +
                std::to_string(next() % 9 + 1) + "." + std::to_string(next() % 10) +
                " GB</td><td class=\"date\">2023-0" + std::to_string(next() % 9 + 1) + "-1" +
                std::to_string(next() % 10) + "</td><td>" + gbk_word(2) + "</td></tr>\n";
    }
    page += "</table>\n<div class=\"pager\"><a href=\"?p=2\">2</a><a href=\"?p=3\">3</a></div>\n";
    page += "<div class=\"foot\">" + gbk_word(20) + "</div></body></html>\n";
    return page;
}

const std::string& page() {
    static const std::string value = make_page();
    return value;
}

constexpr std::string_view near_end = "<div class=\"pager\">";
constexpr std::string_view absent = "<div class=\"nothing\">";

struct Pair {
    std::string_view open, close;
};
// Names, sizes and links of every row.
const Pair pairs[] = {{"title=\"", "\">"}, {"<td class=\"size\">", "</td>"}, {"href=\"", "\""}};

void find_text_bench(benchmark::State& state, std::string_view sought, bool ignore_case) {
    for (auto _ : state) benchmark::DoNotOptimize(text::find_text(page(), sought, 0, ignore_case));
}

void string_view_find_bench(benchmark::State& state, std::string_view sought) {
    const std::string_view view(page());
    for (auto _ : state) benchmark::DoNotOptimize(view.find(sought));
}

void extract_all_bench(benchmark::State& state) {
    text::TextList list;
    for (auto _ : state) {
        for (const auto& p : pairs)
            benchmark::DoNotOptimize(text::extract_all_between(page(), p.open, p.close, list));
    }
}

// The same collection as a plain find loop, trimming ASCII spaces only.
int find_loop(std::string_view view, std::string_view open, std::string_view close,
              std::vector<std::string>& list) {
    list.clear();
    std::size_t scan = 0;
    for (;;) {
        const std::size_t at = view.find(open, scan);
        if (at == std::string_view::npos) break;
        const std::size_t content = at + open.size();
        const std::size_t end = view.find(close, content);
        if (end == std::string_view::npos) break;
        std::string_view piece = view.substr(content, end - content);
        while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
        while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
        if (piece.empty()) break;
        list.emplace_back(piece);
        scan = end;
    }
    return static_cast<int>(list.size());
}

void find_loop_bench(benchmark::State& state) {
    const std::string_view view(page());
    std::vector<std::string> list;
    for (auto _ : state) {
        for (const auto& p : pairs) benchmark::DoNotOptimize(find_loop(view, p.open, p.close, list));
    }
}

// Keeps each benchmark's time per iteration for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            auto [it, fresh] = times.emplace(run.benchmark_name(), run.GetAdjustedRealTime());
            if (!fresh && run.GetAdjustedRealTime() < it->second) it->second = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    struct Measured {
        const char* label;
        const char* name;
        const char* baseline;
        const char* baseline_label;
    };
    const Measured measured[] = {
        {"find_text exact, near the end", "find_text/exact/near_end", "string_view::find/near_end",
         "string_view::find"},
        {"find_text ignoring case, near the end", "find_text/ignore_case/near_end",
         "string_view::find/near_end", "string_view::find"},
        {"find_text exact, absent", "find_text/exact/absent", "string_view::find/absent",
         "string_view::find"},
        {"find_text ignoring case, absent", "find_text/ignore_case/absent", "string_view::find/absent",
         "string_view::find"},
        {"extract_all_between, 3 marker pairs", "extract_all_between/rows", "find_loop/rows", "a find loop"},
    };
    benchmark::RegisterBenchmark("string_view::find/near_end", string_view_find_bench, near_end);
    benchmark::RegisterBenchmark("find_text/exact/near_end", find_text_bench, near_end, false);
    benchmark::RegisterBenchmark("find_text/ignore_case/near_end", find_text_bench, near_end, true);
    benchmark::RegisterBenchmark("string_view::find/absent", string_view_find_bench, absent);
    benchmark::RegisterBenchmark("find_text/exact/absent", find_text_bench, absent, false);
    benchmark::RegisterBenchmark("find_text/ignore_case/absent", find_text_bench, absent, true);
    benchmark::RegisterBenchmark("find_loop/rows", find_loop_bench);
    benchmark::RegisterBenchmark("extract_all_between/rows", extract_all_bench);

    // The two collections must agree, or the comparison means nothing.
    std::vector<std::string> plain;
    text::TextList ours;
    for (const auto& p : pairs) {
        const int a = find_loop(page(), p.open, p.close, plain);
        const int b = text::extract_all_between(page(), p.open, p.close, ours);
        if (a != b || plain != ours) {
            std::fprintf(stderr, "bench_text: the collections for %.*s differ (%d against %d items)\n",
                         static_cast<int>(p.open.size()), p.open.data(), b, a);
            return 1;
        }
        std::printf("%.*s ... %.*s: %d items\n", static_cast<int>(p.open.size()), p.open.data(),
                    static_cast<int>(p.close.size()), p.close.data(), a);
    }
    std::printf("page: %zu bytes\n", page().size());

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios against the baseline of the same run (lower is faster):\n");
    for (const auto& m : measured) {
        const auto ours_time = reporter.times.find(m.name);
        const auto base_time = reporter.times.find(m.baseline);
        if (ours_time == reporter.times.end() || base_time == reporter.times.end() || base_time->second <= 0)
            continue;
        std::printf("%s: %.2fx %s\n", m.label, ours_time->second / base_time->second, m.baseline_label);
    }
    return 0;
}
