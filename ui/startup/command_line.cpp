#include "ui/startup/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

void Print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}

}  // namespace

CommandLine ParseCommandLine(int& argc, char** argv, const QString& description) {
  // A core application only, for the executable's name in the help text: no display needed.
  const QCoreApplication probe(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(ANEMOMETER_VERSION));
  const QString name = QCoreApplication::applicationName();  // the executable's file name

  QCommandLineParser parser;
  parser.setApplicationDescription(description);
  // Our own -h and -v: Qt's help option would also offer --help-all with Qt's options, which this
  // command line does not take.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Show the program's name and version and exit."));
  parser.addOption(help);
  parser.addOption(version);
  const QCommandLineOption configDir(
      QStringLiteral("config-dir"),
      QStringLiteral("Read and write anemometer.cal, anemometer.ini and alarm.wav in <dir>."),
      QStringLiteral("dir"));
  parser.addOption(configDir);

  CommandLine result;
  QString error;
  if (!parser.parse(QCoreApplication::arguments())) {
    error = parser.errorText();
  } else if (!parser.positionalArguments().isEmpty()) {
    error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
  }
  if (!error.isEmpty()) {
    Print(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(name, error));
    result.exit = true;
    result.exitCode = 2;
  } else if (parser.isSet(help)) {
    Print(stdout, parser.helpText());
    result.exit = true;
  } else if (parser.isSet(version)) {
    Print(stdout, QStringLiteral("%1 %2\n").arg(name, QCoreApplication::applicationVersion()));
    result.exit = true;
  } else {
    // Made absolute now, so that the folder does not follow later changes of directory.
    if (parser.isSet(configDir)) result.configDir = QDir(parser.value(configDir)).absolutePath();
  }
  return result;
}
