#include "app/fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace app {

QString song_family() {
    static const QString* family = [] {
        const QStringList available = QFontDatabase::families();
        for (const char* wanted :
             {"SimSun", "宋体", "NSimSun", "Noto Serif CJK SC", "Source Han Serif SC", "AR PL UMing CN"}) {
            const QString name = QString::fromUtf8(wanted);
            if (available.contains(name, Qt::CaseInsensitive)) return new QString(name);
        }
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        return new QString(chinese.isEmpty() ? QString() : chinese.first());
    }();
    return *family;
}

QFont song_font(int pixel_size, bool bold) {
    QFont font;
    if (!song_family().isEmpty()) font.setFamilies({song_family()});
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    return font;
}

void install_application_font() { QApplication::setFont(song_font(12)); }

}  // namespace app
