// The version page and the update's download. By default the page names the version the
// program shows, so a start asks no question. With XINGHE_DEMO_NEWER_VERSION set (to anything
// but empty) in the site's environment it names a newer one, and the download hands out
// xinghe-demo-new-version from beside the site's own executable, so the whole update can be
// watched:
//
//     cp -r build /tmp/xinghe-demo      # the update replaces the program in its folder
//     XINGHE_DEMO_NEWER_VERSION=1 XINGHE_RUN_BUILD=/tmp/xinghe-demo ./run.sh

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/demo_site.h"

namespace demo {

namespace {

bool newer_version_offered() {
    const char* setting = std::getenv("XINGHE_DEMO_NEWER_VERSION");
    return setting != nullptr && *setting != '\0';
}

std::string beside_site(const char* name) {
    std::error_code error;
    return (std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / name).string();
}

}  // namespace

void update_pages(const Request& request, Response& response) {
    const std::string version = newer_version_offered() ? XINGHE_DEMO_NEWER_VERSION : XINGHE_DEMO_VERSION;
    const std::string download = "/xinghe/xinghe-" + version;
    const std::string target = request_target(request);

    if (target == "/xinghe/version.html") {
        send_gbk_page(response, "版本",
                      "<h1>星河影舱 版本</h1><p>1：" + version + "</p><p>2：http://update.example" +
                          download + "</p><p>3：xinghe-" + version + "</p>");
        return;
    }
    if (target == download && newer_version_offered()) {
        std::ifstream program(beside_site("xinghe-demo-new-version"), std::ios::binary);
        if (program) {
            response.content_type = "application/octet-stream";
            response.body.assign(std::istreambuf_iterator<char>(program), std::istreambuf_iterator<char>());
            return;
        }
    }
    send_not_found(request, response);
}

}  // namespace demo
