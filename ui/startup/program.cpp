#include "ui/startup/program.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <exception>

#include "alarms/alarms_form.h"
#include "capture/this_program_files.h"
#include "device/system_clock.h"
#include "ui/desktop/program_font.h"
#include "ui/desktop/qt_sound_player.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/kalibracni_tabulka_form.h"
#include "ui/dialogs/kalibracni_tabulka_zaznam_form.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"
#include "ui/main_window/main_form.h"
#include "ui/startup/command_line.h"

namespace {

const char* const kProgramTitle = "Kelvra USB Anemometer";
const char* const kDesktopId = "cz.kelvra.anemometer";

// Qt's own Czech texts for the standard buttons and the file dialogs, whatever the user's
// language: the rest of the window is Czech too. Without the translations installed they stay
// English.
void LoadQtTranslation() {
  static QTranslator* translator = nullptr;
  if (translator != nullptr) return;
  translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QStringLiteral("qtbase_cs"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
}

// The installed icon of the menu entry, else the same compass drawn by the program.
QIcon ProgramIcon() {
  return QIcon::fromTheme(QString::fromLatin1(kDesktopId),
                          QIcon(QPixmap::fromImage(ProgramEmblem())));
}

// For bench/first_paint: once the window's first paint has reached the screen, prints the
// wall-clock time in microseconds ("first paint <us>") and ends the program. Set only when
// ANEMOMETER_QUIT_AFTER_FIRST_PAINT is in the environment.
class QuitAfterFirstPaint : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // The rest of the window paints and goes to the screen within the same event.
      QTimer::singleShot(0, this, [] {
        const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::system_clock::now().time_since_epoch());
        std::printf("first paint %lld\n", static_cast<long long>(now.count()));
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

void ShowException(const char* text) {
  QMessageBox::critical(nullptr, QString::fromUtf8(kProgramTitle), QString::fromUtf8(text));
}

}  // namespace

ProgramWindows CreateProgramWindows(const ProgramServices& services) {
  ProgramWindows windows;
  windows.MainForm = std::make_unique<TMainForm>(
      MainFormServices{services.transport, services.clock, services.files});
  TMainForm& mainForm = *windows.MainForm;
  // In this order: AboutBox, AlarmsForm, KalibracniTabulkaForm, KalibracniTabulkaZaznamForm,
  // NastaveniSmeruVetruForm.
  mainForm.AttachDialog(new TAboutBox(&mainForm));
  mainForm.AttachDialog(new TAlarmsForm(services.clock, services.sound, services.files,
                                        mainForm.Limits(), &mainForm));
  auto* table = new TKalibracniTabulkaForm(&mainForm);
  auto* row = new TKalibracniTabulkaZaznamForm(&mainForm);
  table->SetRowEditor(row);
  mainForm.AttachDialog(table);
  mainForm.AttachDialog(row);
  mainForm.AttachDialog(new TNastaveniSmeruVetruForm(&mainForm));
  return windows;
}

void ApplyProgramConventions() {
  std::setlocale(LC_NUMERIC, "C");
  LoadQtTranslation();
  QApplication::setWindowIcon(ProgramIcon());
  LoadProgramFonts();
  QApplication::setFont(ProgramFont());
}

int RunProgram(int& argc, char** argv, HidTransport& transport, const ProgramOptions& options) {
  const CommandLine commandLine = ParseCommandLine(argc, argv, options.description);
  if (commandLine.exit) return commandLine.exitCode;
  QApplication application(argc, argv);
  try {
    // Also the window's class under X11, which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName(QString::fromUtf8(kProgramTitle));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    ApplyProgramConventions();

    SystemClock clock;
    QtSoundPlayer sound;
    const ProgramFiles files = LocateThisProgramsFiles(commandLine.configDir);
    ProgramWindows windows = CreateProgramWindows({transport, clock, sound, files});
    TMainForm* mainForm = windows.MainForm.get();
    if (qEnvironmentVariableIsSet("ANEMOMETER_QUIT_AFTER_FIRST_PAINT")) {
      mainForm->installEventFilter(new QuitAfterFirstPaint(mainForm));
    }
    mainForm->show();
    if (options.startCapture) {
      QTimer::singleShot(0, mainForm, [mainForm] { mainForm->StartCaptureClick(nullptr); });
    }
    QApplication::exec();
  } catch (const std::exception& error) {
    ShowException(error.what());
  } catch (...) {
    ShowException("");
  }
  return 0;
}
