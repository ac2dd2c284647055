// The search engines of the shipped configuration and the BTSP site. Until their result
// pages are written, each answers with a page that says which search arrived.

#include "tools/demo_site.h"

namespace demo {

void engine_pages(const Request& request, Response& response) {
    send_page(response, "搜索",
              "<h1>演示搜索引擎</h1><p>收到的搜索：</p><code>" +
                  html_escape(request.header("host") + request_target(request)) + "</code>");
}

}  // namespace demo
