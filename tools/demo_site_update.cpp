// The version page: the same version the program shows, so a start asks no question.
// A later update demo serves a newer one here.

#include "tools/demo_site.h"

namespace demo {

void update_pages(const Request& request, Response& response) {
    if (request_target(request) != "/xinghe/version.html") {
        send_not_found(request, response);
        return;
    }
    const std::string version = XINGHE_DEMO_VERSION;
    send_gbk_page(response, "版本",
                  "<h1>星河影舱 版本</h1><p>1：" + version +
                      "</p><p>2：http://update.example/xinghe/xinghe-" + version + "</p><p>3：xinghe-" +
                      version + "</p>");
}

}  // namespace demo
