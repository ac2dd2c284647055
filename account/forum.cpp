#include "account/forum.h"

#include "account/texts.h"
#include "config/addresses.h"
#include "http/request.h"
#include "text/charset.h"
#include "text/extract.h"

namespace account {

namespace {

using text::Text;

Text forum_address(const char* path) { return Text(addresses::forum_base) + path; }

bool holds(const Text& reply, const Text& marker) { return text::find_text(reply, marker) != -1; }

}  // namespace

Text login_form_body(std::string_view account, std::string_view password) {
    constexpr bool keep_unreserved = true;
    constexpr bool via_utf8 = false;  // the forum reads the form as GBK
    return "fastloginfield=username&username=" + text::url_encode(account, keep_unreserved, via_utf8) +
           "&password=" + text::url_encode(password, keep_unreserved, via_utf8) +
           "&quickforward=yes&handlekey=ls";
}

bool forum_login(AccountView& view) {
    const Text account = text::trim_both_ends(view.control_text("编辑框3"));
    const Text password = text::trim_both_ends(view.control_text("编辑框1"));

    http::RequestOptions options;
    options.url = forum_address(login_path);
    options.method = 1;
    options.post_text = login_form_body(account, password);
    const Text reply = text::to_text(http::web_request_bytes(options));

    if (holds(reply, texts::login_success_marker())) {
        load_account_panel(view);
        view.show_message(texts::login_succeeded());
        view.show_control("图片框2");
        return true;
    }
    if (holds(reply, texts::login_failure_marker())) {
        view.show_message(texts::login_failed());
    } else if (options.failed) {
        // Saying nothing here would leave the user pressing "登录" at a dead network.
        view.show_message(texts::forum_unreachable());
    }
    return false;
}

void load_account_panel(AccountView& view) {
    // Both pages first: the panel is written in one go, never half from an old login.
    const Text promotion = text::to_text(read_page(forum_address(promotion_path)));
    const Text credit = text::to_text(read_page(forum_address(credit_path)));

    view.set_control_text(
        "用户权限标签", text::extract_between(promotion, texts::user_group_start(), texts::user_group_end()));
    // The start marker swallows the link's "http://", so it is put back.
    view.set_control_text("编辑框4",
                          "http://" + text::extract_between(promotion, texts::promotion_link_start(),
                                                            texts::promotion_link_end()));
    view.set_control_text("用户金钱标签",
                          text::extract_between(credit, texts::credit_start(), texts::credit_end()));
    view.set_control_text("用户ID标签", view.control_text("编辑框3"));
}

void open_registration(AccountView& view) { view.open_in_browser(forum_address(registration_path)); }

void show_password_help(AccountView& view) {
    view.show_message(texts::contact_support() + addresses::support_qq);
}

void open_points_page(AccountView& view) { view.open_in_browser(forum_address(points_path)); }

void copy_promotion_link(AccountView& view) { view.put_on_clipboard(view.control_text("编辑框4")); }

}  // namespace account
