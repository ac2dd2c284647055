#pragma once
// The search's fixed texts, as GBK: messages, status captions and the markers that hold
// Chinese characters. Pure ASCII markers stand where they are used.

#include "text/gbk_literal.h"

namespace search::texts {

// Messages.
GBK_CONSTANT(empty_keyword, "请先输入您想要搜索的关键字")
GBK_CONSTANT(no_results_head, "没有搜索到与关键词[")
GBK_CONSTANT(no_results_tail, "]相关信息!\r\n请调整关键词后重试!")
GBK_CONSTANT(last_page, "已经是最后一页")
GBK_CONSTANT(fetch_failed, "连接搜索引擎失败，请检查网络后重试")
GBK_CONSTANT(vip_only, "您暂时不是VIP用户，请去官方论坛购买")

// Captions of 种子结果标签.
GBK_CONSTANT(search_done, "搜索完毕,鼠标右键选择播放或者下载,点击\"加载更多\"可以显示更多")
GBK_CONSTANT(ed2k_total_head, "共搜索到:")
GBK_CONSTANT(ed2k_total_tail, "条资源鼠标右键选择播放或者下载,点击\"加载更多\"可以显示更多")

// What column 1 shows in front of a name.
GBK_CONSTANT(play_prefix, "【双击播放】")

// Markers.
GBK_CONSTANT(btdigg_size_start, "大小:")
GBK_CONSTANT(ed2k_size_start, "大小: ")
GBK_CONSTANT(ed2k_total_start, "<td><b>结果总数")
GBK_CONSTANT(ed2k_results_mark, "展现方式:")
GBK_CONSTANT(btsp_no_results_mark, "唉呀，没有找到任何结果，尝试使用简单的关键词匹配")

}  // namespace search::texts
