// xinghe-search: a search from the command line, on the same code as the window's search page,
// for scripts and for checking the engines.
//
//   xinghe-search [--config INI] [--engine 0-3] [--more K] KEYWORD
//
// Runs the search, then K times "加载更多". Each row goes to standard output as one UTF-8 line:
// row number, name, complete link and size, separated by tabs (a tab or line break inside a
// field becomes a space). Status texts and messages go to standard error. INI defaults to
// peizhi.ini beside the tool, the engine to 3 (BTSP), as the window starts.
//
// Exit codes: 0 the search ran (with or without rows), 1 the engine found nothing or a page
// could not be fetched, 2 wrong arguments or a missing configuration.

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "search/engines.h"
#include "search/search.h"
#include "search/texts.h"
#include "text/charset.h"

namespace {

constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

const char* const usage_text = "usage: xinghe-search [--config INI] [--engine 0-3] [--more K] KEYWORD\n";

struct Arguments {
    std::string config;
    int engine = 3;
    int more = 0;
    std::string keyword_utf8;
};

std::optional<int> number_in(std::string_view value, int low, int high) {
    if (value.empty() || value.size() > 9) return std::nullopt;
    int number = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < low || number > high) return std::nullopt;
    return number;
}

// Fills `arguments`; on a mistake says what is wrong and gives false.
bool parse(int argc, char** argv, Arguments& arguments) {
    std::vector<std::string> keywords;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const bool takes_value = argument == "--config" || argument == "--engine" || argument == "--more";
        if (takes_value && i + 1 >= argc) {
            std::fprintf(stderr, "xinghe-search: %s needs a value\n", argv[i]);
            return false;
        }
        if (argument == "--config") {
            arguments.config = argv[++i];
        } else if (argument == "--engine" || argument == "--more") {
            const std::optional<int> value =
                argument == "--engine" ? number_in(argv[i + 1], 0, 3) : number_in(argv[i + 1], 0, 100000);
            if (!value) {
                std::fprintf(stderr, "xinghe-search: %s: not %s\n", argv[i + 1],
                             argument == "--engine" ? "an engine from 0 to 3" : "a count");
                return false;
            }
            (argument == "--engine" ? arguments.engine : arguments.more) = *value;
            ++i;
        } else if (argument.size() > 2 && argument.substr(0, 2) == "--") {
            std::fprintf(stderr, "xinghe-search: unknown option %s\n", argv[i]);
            return false;
        } else {
            keywords.emplace_back(argument);
        }
    }
    if (keywords.size() != 1) {
        std::fprintf(stderr, "xinghe-search: give one KEYWORD\n");
        return false;
    }
    arguments.keyword_utf8 = keywords.front();
    return true;
}

// One line of output holds one field per column.
std::string field(const text::Text& gbk) {
    std::string value = text::gbk_to_utf8(gbk);
    for (char& c : value)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return value;
}

// The search page as standard output and standard error.
class ToolView : public search::SearchView {
  public:
    ToolView(const Arguments& arguments, app::Endpoints endpoints)
        : keyword_(text::utf8_to_gbk(arguments.keyword_utf8)),
          engine_(arguments.engine),
          endpoints_(std::move(endpoints)) {}

    text::Text keyword() override { return keyword_; }
    int engine_index() override { return engine_; }
    app::Endpoints endpoints() override { return endpoints_; }
    void clear_rows() override {}
    void append_rows(std::vector<search::ResultRow> rows) override {
        const text::Text& prefix = search::texts::play_prefix();
        std::string out;
        for (const search::ResultRow& row : rows) {
            const text::Text name =
                row.name.compare(0, prefix.size(), prefix) == 0 ? row.name.substr(prefix.size()) : row.name;
            out += field(row.number) + '\t' + field(name) + '\t' +
                   field(search::complete_link(engine_, row.link).value_or(row.link)) + '\t' +
                   field(row.size) + '\n';
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    }
    void set_notice_visible(bool) override {}
    void set_status_text(const text::Text& status) override { to_stderr(status); }
    void show_message(const text::Text& message) override { to_stderr(message); }

    void operation_ended(search::Outcome outcome) override {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        ended_.notify_all();
    }
    search::Outcome wait() {
        std::unique_lock lock(mutex_);
        ended_.wait(lock, [this] { return outcome_.has_value(); });
        const search::Outcome outcome = *outcome_;
        outcome_.reset();
        return outcome;
    }

  private:
    static void to_stderr(const text::Text& gbk) {
        std::string line = text::gbk_to_utf8(gbk);
        for (std::size_t at = line.find("\r\n"); at != std::string::npos; at = line.find("\r\n", at))
            line.erase(at, 1);
        std::fprintf(stderr, "%s\n", line.c_str());
    }

    text::Text keyword_;
    int engine_;
    app::Endpoints endpoints_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::optional<search::Outcome> outcome_;
};

bool failed(search::Outcome outcome) {
    return outcome == search::Outcome::no_results || outcome == search::Outcome::fetch_failed;
}

// Workers may still be returning from their last step: end without tearing anything down.
[[noreturn]] void finish(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        std::fputs(usage_text, stderr);
        return exit_usage;
    }
    if (arguments.config.empty()) arguments.config = platform::run_directory_file(app::config_file_name);
    text::Bytes raw;
    if (!platform::file_exists(arguments.config) || !platform::read_whole_file(arguments.config, raw)) {
        std::fprintf(stderr, "xinghe-search: %s: no configuration there\n", arguments.config.c_str());
        return exit_usage;
    }

    auto* view = new ToolView(arguments, app::read_endpoints(raw));
    auto* session = new search::SearchSession(*view);
    if (!search::start_search(*session)) finish(exit_usage);  // the empty keyword, told above
    search::Outcome outcome = view->wait();
    bool any_failed = failed(outcome);
    for (int i = 0; i < arguments.more && !failed(outcome) && outcome != search::Outcome::last_page; ++i) {
        search::load_more(*session);
        outcome = view->wait();
        any_failed = any_failed || failed(outcome);
    }
    finish(any_failed ? exit_failed : 0);
}
