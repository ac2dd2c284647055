#pragma once
// The account page: logging into the forum, the account panel filled from two forum pages,
// and the page's links and copy button.
//
// Nothing here knows the window. The page's controls are reached through an AccountView,
// which the window implements over its controls by design name (编辑框3, 用户ID标签, ...) and
// a test or a command-line tool implements over whatever it likes. Texts are GBK.
//
// The login is one form post through the request engine; the two account pages are read
// with read_page, which shares the process-wide cookie store with it, so the cookies the
// login reply sets are what make the forum recognise the account.

#include <string_view>

#include "text/text.h"

namespace account {

// What the account page's logic reads from and does to the screen.
struct AccountView {
    virtual ~AccountView() = default;

    // The text of an edit box or the caption of a label, by design name.
    virtual text::Text control_text(std::string_view name) = 0;
    virtual void set_control_text(std::string_view name, const text::Text& value) = 0;
    virtual void show_control(std::string_view name) = 0;
    // A modal notice titled "信息：" with an OK button; returns when it is answered.
    virtual void show_message(const text::Text& message) = 0;
    virtual void open_in_browser(const text::Text& address) = 0;
    virtual void put_on_clipboard(const text::Text& value) = 0;
};

// Forum paths, appended to addresses::forum_base.
inline constexpr const char* login_path =
    "/member.php?mod=logging&action=login&loginsubmit=yes&infloat=yes&lssubmit=yes&inajax=1";
inline constexpr const char* promotion_path = "/home.php?mod=spacecp&ac=promotion";
inline constexpr const char* credit_path = "/home.php?mod=spacecp&ac=credit";
inline constexpr const char* registration_path = "/member.php?mod=register";
inline constexpr const char* points_path = "/forum.php?mod=viewthread&tid=3&extra=";

// The login form's body. Account and password are percent-encoded byte for byte (GBK bytes
// as %XX), so "&", "=", "+" and "%" in them reach the forum as typed and cannot add fields.
text::Text login_form_body(std::string_view account, std::string_view password);

// Posts the login with the trimmed texts of 编辑框3 and 编辑框1. On success (the reply holds
// "window.location.href") fills the panel, says "登陆成功" and shows 图片框2; a reply holding
// "登录失败" says so; a forum that could not be reached is told to the user; any other reply
// shows nothing. Blocks until the exchanges end (they are bounded by the HTTP layer's limits).
// True after a success.
bool forum_login(AccountView& view);

// Reads the promotion and credit pages, then writes 用户权限标签, 编辑框4 ("http://" and the
// cut link), 用户金钱标签 and 用户ID标签 (the untrimmed text of 编辑框3), in that order. A value
// whose markers are missing is written empty.
void load_account_panel(AccountView& view);

// One GET of an http or https address, as a plain page read: its own lasting session, HTTP/1.0,
// "Accept: */*", the process-wide cookie store. The body as it arrived (what came before a
// failed read included); empty for any other address or when nothing could be read.
text::Bytes read_page(const text::Text& address);

// The page's other controls.
void open_registration(AccountView& view);    // 透明标签4 "注册账号"
void show_password_help(AccountView& view);   // 透明标签5 "忘记密码"
void open_points_page(AccountView& view);     // 透明标签8 "云币详情介绍"
void copy_promotion_link(AccountView& view);  // 按钮4 "复制链接": the text of 编辑框4

}  // namespace account
