#pragma once
// The four engines' result pages on a loopback server, for the search tests: each page is a
// small hand-written file of tests/data/search, served at the exact address an engine asks.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/config.h"
#include "tests/support/http_server.h"

namespace search_test {

// A file of tests/data/search as UTF-8 text, "{ORIGIN}" replaced by the BTSP site's origin.
std::string fixture(const std::string& name);

// The keyword as the engines' addresses carry it, spelled out for the tests: "中国".
inline constexpr const char* china_utf8 = "中国";
inline constexpr const char* china_encoded = "%E4%B8%AD%E5%9B%BD";

class SearchSite {
  public:
    SearchSite();

    // `fixture_name` at request target `target` ("/code/search/x/"); a page that mentions
    // "utf-8" goes out as it is, any other as GBK.
    void serve(const std::string& target, const std::string& fixture_name);
    // An answer of this status and a short body.
    void answer_status(const std::string& target, int status);

    // Endpoints whose three bases lie on this server; the BTSP site's origin reaches it too.
    app::Endpoints endpoints() const;
    // peizhi.ini as the program stores it, naming endpoints().
    text::Bytes stored_config() const;
    // The request targets received, in order.
    std::vector<std::string> targets() const;
    void forget_requests() { server.clear_requests(); }

    test_support::HttpServer server;

  private:
    test_support::ConnectTo btsp_;
    mutable std::mutex mutex_;
    std::map<std::string, test_support::Reply> replies_;
};

}  // namespace search_test
