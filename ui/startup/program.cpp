#include "ui/startup/program.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QStyle>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <utility>

#include "alarms/alarms_form.h"
#include "capture/this_program_files.h"
#include "device/system_clock.h"
#include "ui/desktop/icon_theme.h"
#include "ui/desktop/module_sound_player.h"
#include "ui/desktop/program_font.h"
#include "ui/desktop/session_bus.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/kalibracni_tabulka_form.h"
#include "ui/dialogs/kalibracni_tabulka_zaznam_form.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"
#include "ui/drawing/compass_card.h"
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

// Runs its work once, posted right after the first paint event of the window it watches: the
// rest of the window paints and goes to the screen within that same event.
class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWidget& window, std::function<void()> work)
      : QObject(&window), work_(std::move(work)) {
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QMetaObject::invokeMethod(
          this,
          [this] {
            std::function<void()> work = std::move(work_);
            deleteLater();
            work();
          },
          Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> work_;
};

// For bench/first_paint: the wall-clock time of the first paint in microseconds.
void PrintFirstPaintTime() {
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  std::printf("first paint %lld\n", static_cast<long long>(now.count()));
  std::fflush(stdout);
}

void ShowException(const char* text) {
  QMessageBox::critical(nullptr, QString::fromUtf8(kProgramTitle), QString::fromUtf8(text));
}

// Only the desktop platforms connect the accessibility bridge to the session bus; elsewhere
// (offscreen, a frame buffer) nothing waits for the bus, and none is started.
std::future<void> BeginSessionBusConnectionForAccessibility() {
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) return {};
  return BeginSessionBusConnection();
}

}  // namespace

void RunAfterFirstPaint(QWidget& window, std::function<void()> work) {
  new FirstPaintWatcher(window, std::move(work));
}

std::unique_ptr<TMainForm> CreateMainWindow(const ProgramServices& services) {
  return std::make_unique<TMainForm>(
      MainFormServices{services.transport, services.clock, services.files});
}

void AttachProgramDialogs(TMainForm& mainForm, const ProgramServices& services) {
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
}

ProgramWindows CreateProgramWindows(const ProgramServices& services) {
  ProgramWindows windows;
  windows.MainForm = CreateMainWindow(services);
  AttachProgramDialogs(*windows.MainForm, services);
  return windows;
}

void ApplyProgramConventions() {
  std::setlocale(LC_NUMERIC, "C");
  LoadQtTranslation();
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(ProgramEmblem())));
  LoadProgramFonts();
  QApplication::setFont(ProgramFont());
}

QIcon InstalledProgramIcon() {
  const QIcon installed = QIcon::fromTheme(QString::fromLatin1(kDesktopId));
  if (installed.isNull() || installed.availableSizes().isEmpty()) return {};
  return installed;
}

void UseInstalledProgramIcon(const QIcon& installed) {
  if (!installed.isNull()) QApplication::setWindowIcon(installed);
}

int RunProgram(int& argc, char** argv, HidTransport& transport, const ProgramOptions& options) {
  const CommandLine commandLine =
      ParseCommandLine(argc, argv, options.description, options.archiveByDefault);
  if (commandLine.end) return Finish(*commandLine.end);
  BeginFontConfiguration();
  QApplication application(argc, argv);
  try {
    // Also the window's class under X11, which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName(QString::fromUtf8(kProgramTitle));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    const std::future<void> sessionBus = BeginSessionBusConnectionForAccessibility();
    // The icon theme reads its index (hundreds of folders) on first use: the menu entry's icon is
    // looked up on a thread of its own, which then makes the tool buttons' pictures, while the
    // fonts load and the window is built and shown; the tool buttons wait for it
    // (ui/desktop/icon_theme.h). The theme's name is taken here, before that thread, so that
    // the window's later uses of it only read.
    QIcon::themeName();
    const QStyle& style = *QApplication::style();
    const auto readTheme = [&style] {
      QIcon installed = InstalledProgramIcon();
      TMainForm::PrepareToolButtonIcons(style);
      return installed;
    };
    const std::shared_future<QIcon> installedIcon =
        std::async(std::launch::async, readTheme).share();
    SetIconThemeWait([installedIcon] { installedIcon.wait(); });
    ApplyProgramConventions();
    // The first widgets wait for the session bus connection, which has just begun: the compass
    // card, which needs no widget, is drawn before them meanwhile.
    CompassCard();

    SystemClock clock;
    ModuleSoundPlayer sound(ModuleSoundPlayer::ProgramModuleFiles());
    const ProgramServices services{transport, clock, sound,
                                   LocateThisProgramsFiles(commandLine.configDir)};
    ProgramWindows windows;
    windows.MainForm = CreateMainWindow(services);
    TMainForm* mainForm = windows.MainForm.get();
    // What the first look at the window does not need waits until it is on the screen: the
    // dialogs (the user cannot open one before), the sound module with Qt Multimedia, the
    // station archive, and the demo's capture.
    const std::filesystem::path archive = commandLine.archive.keep
                                              ? LocateThisProgramsArchive(commandLine.archive.file)
                                              : std::filesystem::path();
    RunAfterFirstPaint(*mainForm,
                       [mainForm, &services, &sound, archive, startCapture = options.startCapture] {
                         AttachProgramDialogs(*mainForm, services);
                         sound.Load();
                         if (!archive.empty()) mainForm->KeepArchive(archive);
                         if (startCapture) mainForm->StartCaptureClick(nullptr);
                       });
    if (qEnvironmentVariableIsSet("ANEMOMETER_QUIT_AFTER_FIRST_PAINT")) {
      // Watches after the start-up work above, so its paint event comes here first.
      RunAfterFirstPaint(*mainForm, [] {
        PrintFirstPaintTime();
        QCoreApplication::quit();
      });
    }
    // A check of the start-up without a user (tests, packaging): the program ends as soon as
    // its window is up and the work after its first paint (in the demo, the start of capture)
    // is done.
    if (qEnvironmentVariableIsSet("ANEMOMETER_QUIT_WHEN_STARTED")) {
      RunAfterFirstPaint(*mainForm, [] { QCoreApplication::quit(); });
    }
    // Shown before the tool buttons have their pictures: the window is mapped while the theme's
    // thread finishes, and the pictures are in place before the event loop paints it.
    mainForm->show();
    mainForm->ShowToolButtonIcons();
    UseInstalledProgramIcon(installedIcon.get());
    QApplication::exec();
  } catch (const std::exception& error) {
    ShowException(error.what());
  } catch (...) {
    ShowException("");
  }
  SetIconThemeWait(nullptr);  // a window that failed to build left it set
  return 0;
}
