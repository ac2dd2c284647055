#include "tests/search/search_site.h"

#include <fstream>
#include <sstream>

#include "config/addresses.h"
#include "platform/codepage.h"
#include "text/charset.h"

namespace search_test {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(XINGHE_TEST_DATA_DIR) + "/search/" + name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::string page = content.str();
    const std::string placeholder = "{ORIGIN}";
    for (std::size_t at = page.find(placeholder); at != std::string::npos; at = page.find(placeholder, at))
        page.replace(at, placeholder.size(), addresses::btsp_origin);
    return page;
}

SearchSite::SearchSite() : btsp_(test_support::host_port_of(addresses::btsp_origin), server.port()) {
    server.on("*", [this](const test_support::ReceivedRequest& request) {
        std::lock_guard lock(mutex_);
        const auto found = replies_.find(request.target);
        if (found != replies_.end()) return found->second;
        test_support::Reply missing;
        missing.status = 404;
        missing.body = "not here";
        return missing;
    });
}

void SearchSite::serve(const std::string& target, const std::string& fixture_name) {
    std::string page = fixture(fixture_name);
    test_support::Reply reply;
    reply.header("Content-Type", "text/html");
    reply.body = page.find("utf-8") != std::string::npos
                     ? page
                     : platform::convert_code_page(page, platform::cp_utf8, platform::cp_gbk);
    std::lock_guard lock(mutex_);
    replies_[target] = reply;
}

void SearchSite::answer_status(const std::string& target, int status) {
    test_support::Reply reply;
    reply.status = status;
    reply.body = "<html>error</html>";
    std::lock_guard lock(mutex_);
    replies_[target] = reply;
}

app::Endpoints SearchSite::endpoints() const {
    return {server.url("/btdigg/search?q="), server.url("/ed2k/search/"), server.url("/code/search/"),
            server.url("/play?url=")};
}

text::Bytes SearchSite::stored_config() const {
    const app::Endpoints bases = endpoints();
    const text::Text plain = text::utf8_to_gbk("磁力=") + bases.magnet_base + "\r\n" +
                             text::utf8_to_gbk("电驴=") + bases.ed2k_base + "\r\n" +
                             text::utf8_to_gbk("番号=") + bases.code_base + "\r\n" +
                             text::utf8_to_gbk("云点播=") + bases.cloud_play_base;
    return app::encrypt_config(plain);
}

std::vector<std::string> SearchSite::targets() const {
    std::vector<std::string> seen;
    for (const auto& request : server.requests()) seen.push_back(request.target);
    return seen;
}

}  // namespace search_test
