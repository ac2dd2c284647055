#pragma once
// The window's fixed texts that pass through message boxes, as GBK.

#include "text/gbk_literal.h"

namespace app::texts {

GBK_CONSTANT(missing_config, "错误代码001,因缺少配置文件！")
GBK_CONSTANT(error_title, "错误信息")
GBK_CONSTANT(exit_question, "     是否退出星河影舱")

}  // namespace app::texts
