#include "ui/desktop/program_font.h"

#include <fontconfig/fontconfig.h>

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStandardPaths>
#include <QStringList>
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

// Wine's Tahoma, where a data folder holds it.
QStringList WineTahomaFiles() {
  QStringList found;
  for (const char* file : {"wine/fonts/tahoma.ttf", "wine/fonts/tahomabd.ttf"}) {
    const QString path =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QString::fromLatin1(file));
    if (!path.isEmpty()) found << path;
  }
  return found;
}

bool FontconfigKnowsTahoma() {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Tahoma"));
  FcObjectSet* family = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, family);
  const bool known = fonts != nullptr && fonts->nfont > 0;
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(family);
  FcPatternDestroy(pattern);
  return known;
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
  // Qt's font database starts with FcInit, which then finds the configuration in place. It lists
  // the fonts fontconfig knows, Wine's Tahoma among them once added here: reading the font
  // files is most of what adding them costs.
  reading = std::async(std::launch::async, [tahoma = WineTahomaFiles()] {
    FcInit();
    if (FontconfigKnowsTahoma()) return;
    for (const QString& file : tahoma) {
      const QByteArray path = QFile::encodeName(file);
      FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.constData()));
    }
  });
}

void LoadProgramFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  // Two threads that both find fontconfig unconfigured would each read it all.
  if (FontConfiguration().valid()) FontConfiguration().get();
  // A Tahoma that fontconfig could not add (or a start without BeginFontConfiguration) is
  // added to Qt's database here.
  if (HasTahoma()) return;
  for (const QString& file : WineTahomaFiles()) QFontDatabase::addApplicationFont(file);
}

QFont ProgramFont() { return Face(ProgramPixelSize(), false); }

QFont DirectionNameFont() { return Face(35 * ProgramPixelSize() / kTahomaPixels, true); }
