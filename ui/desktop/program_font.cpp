#include "ui/desktop/program_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStandardPaths>

namespace {

constexpr int kTahomaPixels = 11;
constexpr int kSmallestFallbackPixels = 7;
// Captions of the window, and their width in Wine's Tahoma at 11 pixels.
const char* const kSample = "Rychlost větru průměr [m/s] Náraz Zobrazit ukazatele:";
constexpr int kSampleWidthInTahoma = 263;

QFont Face(int pixelSize, bool bold) {
  QFont font(QStringLiteral("Tahoma"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

bool HasTahoma() {
  return QFontInfo(Face(kTahomaPixels, false)).family() == QLatin1String("Tahoma");
}

// 11 with Tahoma; otherwise the largest size at which the fallback is no wider than Tahoma.
int ProgramPixelSize() {
  static const int size = [] {
    if (HasTahoma()) return kTahomaPixels;
    int pixels = kTahomaPixels;
    while (pixels > kSmallestFallbackPixels &&
           QFontMetrics(Face(pixels, false)).horizontalAdvance(QString::fromUtf8(kSample)) >
               kSampleWidthInTahoma) {
      --pixels;
    }
    return pixels;
  }();
  return size;
}

}  // namespace

void LoadProgramFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  if (HasTahoma()) return;
  for (const char* file : {"wine/fonts/tahoma.ttf", "wine/fonts/tahomabd.ttf"}) {
    const QString found =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QString::fromLatin1(file));
    if (!found.isEmpty()) QFontDatabase::addApplicationFont(found);
  }
}

QFont ProgramFont() { return Face(ProgramPixelSize(), false); }

QFont DirectionNameFont() { return Face(35 * ProgramPixelSize() / kTahomaPixels, true); }
