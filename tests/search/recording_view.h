#pragma once
// A SearchView that remembers everything a search did to it, for the logic tests.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "search/search.h"
#include "text/charset.h"

namespace search_test {

// A row as the tests write it: UTF-8, the name without its "【双击播放】".
struct Row {
    std::string number, name, link, size;
    bool operator==(const Row&) const = default;
};

class RecordingView : public search::SearchView {
  public:
    // Set before an operation starts.
    std::string keyword_utf8;
    int engine = 3;
    app::Endpoints bases;

    text::Text keyword() override {
        std::lock_guard lock(mutex_);
        return text::utf8_to_gbk(keyword_utf8);
    }
    int engine_index() override {
        std::lock_guard lock(mutex_);
        return engine;
    }
    app::Endpoints endpoints() override { return bases; }
    void clear_rows() override {
        std::lock_guard lock(mutex_);
        rows_.clear();
        ++clears_;
    }
    void append_rows(std::vector<search::ResultRow> rows) override {
        std::lock_guard lock(mutex_);
        for (auto& row : rows) {
            const std::string name = text::gbk_to_utf8(row.name);
            const std::string prefix = "【双击播放】";
            names_prefixed_ = names_prefixed_ && name.rfind(prefix, 0) == 0;
            rows_.push_back({row.number, name.substr(std::min(name.size(), prefix.size())),
                             text::gbk_to_utf8(row.link), text::gbk_to_utf8(row.size)});
        }
        batches_.push_back(rows.size());
    }
    void set_notice_visible(bool visible) override {
        std::lock_guard lock(mutex_);
        notice_ = visible;
    }
    void set_status_text(const text::Text& status) override {
        std::lock_guard lock(mutex_);
        statuses_.push_back(text::gbk_to_utf8(status));
    }
    void show_message(const text::Text& message) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(text::gbk_to_utf8(message));
    }
    void operation_ended(search::Outcome outcome) override {
        std::lock_guard lock(mutex_);
        outcomes_.push_back(outcome);
        ended_.notify_all();
    }

    // Waits until `count` operations have ended in all; false after a few seconds.
    bool wait_for_end(std::size_t count) {
        std::unique_lock lock(mutex_);
        return ended_.wait_for(lock, std::chrono::seconds(30), [&] { return outcomes_.size() >= count; });
    }

    std::vector<Row> rows() const { return locked(rows_); }
    std::vector<std::string> messages() const { return locked(messages_); }
    std::vector<std::string> statuses() const { return locked(statuses_); }
    std::vector<search::Outcome> outcomes() const { return locked(outcomes_); }
    std::vector<std::size_t> batches() const { return locked(batches_); }
    bool notice_visible() const { return locked(notice_); }
    int clears() const { return locked(clears_); }
    bool names_prefixed() const { return locked(names_prefixed_); }

  private:
    template <class T>
    T locked(const T& value) const {
        std::lock_guard lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::vector<Row> rows_;
    std::vector<std::string> messages_, statuses_;
    std::vector<search::Outcome> outcomes_;
    std::vector<std::size_t> batches_;
    bool notice_ = false;
    int clears_ = 0;
    bool names_prefixed_ = true;
};

}  // namespace search_test
