#include "ui/startup/command_line.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QList>
#include <QtGlobal>
#include <iterator>

namespace {

// The options every Qt program with windows takes (QGuiApplication, QApplication, the X11 and
// Windows platforms). QApplication reads them from the same argv; they are listed here only so
// that they are not refused, and stay out of --help.
struct QtOption {
  const char* name;
  bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},      {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true},
    {"qwindowicon", true},   {"qwindowtitle", true},
    {"reverse", false},      {"session", true},
    {"style", true},         {"stylesheet", true},
    {"widgetcount", false},  {"testability", false},
    {"display", true},       {"geometry", true},
    {"title", true},         {"name", true},
    {"visual", true},        {"ncols", true},
    {"cmap", false},         {"im", true},
    {"inputstyle", true},    {"nograb", false},
    {"dograb", false},       {"sync", false},
    {"dialogs", true},       {"fontengine", true},
};

QList<QCommandLineOption> QtOptions() {
  QList<QCommandLineOption> options;
  options.reserve(static_cast<qsizetype>(std::size(kQtOptions)));
  for (const QtOption& qt : kQtOptions) {
    QCommandLineOption option(QString::fromLatin1(qt.name));
    if (qt.takesValue) option.setValueName(QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    options.append(option);
  }
  return options;
}

// Whether Qt will find a window system: one chosen on the command line or in QT_QPA_PLATFORM,
// else (X11 and Wayland) a display named by -display, DISPLAY or WAYLAND_DISPLAY.
bool HasDisplay(const QCommandLineParser& parser) {
  if (parser.isSet(QStringLiteral("platform")) || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    return true;
  }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
  return parser.isSet(QStringLiteral("display")) || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
  return true;
#endif
}

}  // namespace

CommandLine ParseCommandLine(int& argc, char** argv, const QString& description,
                             bool archiveByDefault) {
  // A core application only, for the executable's name: no display needed.
  const QCoreApplication probe(argc, argv);
  const QString name = QCoreApplication::applicationName();  // the executable's file name

  ProgramCommandLine commandLine(
      name, description,
      QStringLiteral("Read and write anemometer.cal, anemometer.ini and alarm.wav in DIR."));
  commandLine.AddOptions(QtOptions());
  commandLine.AddArchiveOptions(archiveByDefault ? QStringLiteral("in the user's data folder")
                                                 : QStringLiteral("none"));

  CommandLine result;
  result.end = commandLine.Parse(QCoreApplication::arguments());
  if (!result.end && !HasDisplay(commandLine.Parser())) {
    result.end = commandLine.CannotRun(
        QStringLiteral("no display: set DISPLAY or WAYLAND_DISPLAY, or use "
                       "kelvra-anemometer-logger for capture without a window"));
  }
  if (!result.end) {
    result.configDir = commandLine.ConfigDir();
    result.archive = commandLine.Archive();
    if (!archiveByDefault && result.archive.file.isEmpty()) result.archive.keep = false;
  }
  return result;
}
