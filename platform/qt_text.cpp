#include "platform/qt_text.h"

#include "text/charset.h"

namespace platform {

QString to_qstring(std::string_view gbk) {
    const text::Text utf8 = text::gbk_to_utf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

text::Text from_qstring(const QString& string) {
    const QByteArray utf8 = string.toUtf8();
    return text::utf8_to_gbk(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace platform
