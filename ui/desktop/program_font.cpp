#include "ui/desktop/program_font.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStandardPaths>
#include <future>

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

// fontconfig's configuration and font list, read on a thread while the application object starts.
std::future<void>& FontConfiguration() {
  static std::future<void> reading;
  return reading;
}

// Whether the font database holds a Tahoma, which a request for Tahoma then gets. Asked of the
// database rather than of a QFontInfo, which would load a face (a fallback's when it is missing)
// that the window may not use.
bool HasTahoma() { return !QFontDatabase::styles(QStringLiteral("Tahoma")).isEmpty(); }

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

void BeginFontConfiguration() {
  std::future<void>& reading = FontConfiguration();
  if (reading.valid()) return;
  // Qt's font database starts with FcInit, which then finds the configuration in place.
  reading = std::async(std::launch::async, [] { FcInit(); });
}

void LoadProgramFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  // Two threads that both find fontconfig unconfigured would each read it all.
  if (FontConfiguration().valid()) FontConfiguration().get();
  if (HasTahoma()) return;
  for (const char* file : {"wine/fonts/tahoma.ttf", "wine/fonts/tahomabd.ttf"}) {
    const QString found =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QString::fromLatin1(file));
    if (!found.isEmpty()) QFontDatabase::addApplicationFont(found);
  }
}

QFont ProgramFont() { return Face(ProgramPixelSize(), false); }

QFont DirectionNameFont() { return Face(35 * ProgramPixelSize() / kTahomaPixels, true); }
