#include "program_font.h"

#include <QFile>
#include <QFontDatabase>

namespace {

const char* const kFontFiles[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                  "/usr/share/wine/fonts/tahomabd.ttf"};

QFont Tahoma(int pixelSize, bool bold) {
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace

void LoadProgramFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  for (const char* file : kFontFiles) {
    const QString name = QString::fromUtf8(file);
    if (QFile::exists(name)) QFontDatabase::addApplicationFont(name);
  }
}

QFont ProgramFont() { return Tahoma(11, false); }

QFont DirectionNameFont() { return Tahoma(35, true); }
