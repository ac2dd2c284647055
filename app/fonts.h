#pragma once
// The window's typeface: the Song typeface where the system has it, else a Song-style CJK
// font, else any font that writes Simplified Chinese, else the toolkit's default.

#include <QFont>
#include <QString>

namespace app {

QString song_family();

// A font of the Song family at `pixel_size` pixels.
QFont song_font(int pixel_size, bool bold = false);

// Makes the Song family at 12 pixels the application's font; call once, after the
// application object exists.
void install_application_font();

}  // namespace app
