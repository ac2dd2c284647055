#pragma once
// The account page's fixed texts, as GBK: the forum's markers and the page's messages.

#include "text/gbk_literal.h"

namespace account::texts {

// Login reply markers, matched with exact case.
GBK_CONSTANT(login_success_marker, "window.location.href")
GBK_CONSTANT(login_failure_marker, "登录失败")

// Account page markers.
GBK_CONSTANT(user_group_start, "(this, showUpgradeinfo)\">用户组:")
GBK_CONSTANT(user_group_end, "</a>")
GBK_CONSTANT(promotion_link_start, "推广链接复制成功');\" value=\"http://")
GBK_CONSTANT(promotion_link_end, "\"")
GBK_CONSTANT(credit_start, "<em> 云币: </em>")
GBK_CONSTANT(credit_end, "&nbsp;")

// Messages.
GBK_CONSTANT(login_succeeded, "登陆成功")
GBK_CONSTANT(login_failed, "登录失败")
GBK_CONSTANT(forum_unreachable, "无法连接论坛，请检查网络后重试")
GBK_CONSTANT(contact_support, "联系QQ客服：")

}  // namespace account::texts
