// The forum: its home page and the threads the program opens in the browser.

#include "tools/demo_site.h"

namespace demo {

void forum_pages(const Request& request, Response& response) {
    if (account_pages(request, response)) return;
    const std::string target = request_target(request);
    if (target == "/" || target.empty()) {
        send_gbk_page(response, "星河论坛", "<h1>星河论坛</h1><p>欢迎来到演示论坛。</p>");
        return;
    }
    if (target.rfind("/forum.php?mod=viewthread", 0) == 0) {
        send_gbk_page(response, "帖子", "<h1>演示帖子</h1><code>" + html_escape(target) + "</code>");
        return;
    }
    send_not_found(request, response);
}

}  // namespace demo
