#pragma once
// The one crossing between the program's GBK texts and Qt's strings, in each direction.
// Everything that hands a text to a widget, or takes one from it, goes through here.

#include <QString>

#include "text/text.h"

namespace platform {

QString to_qstring(std::string_view gbk);
text::Text from_qstring(const QString& string);

}  // namespace platform
