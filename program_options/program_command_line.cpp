#include "program_options/program_command_line.h"

#include <QDir>
#include <cstdio>

int Finish(const ProgramExit& end) {
  std::FILE* stream = end.status == kExitSuccess ? stdout : stderr;
  std::fputs(end.text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
  return end.status;
}

ProgramCommandLine::ProgramCommandLine(const QString& name, const QString& description,
                                       const QString& configDirHelp)
    : name_(name),
      // Our own -h and -v: Qt's help option would also offer --help-all with options these
      // programs do not describe.
      help_({QStringLiteral("h"), QStringLiteral("help")},
            QStringLiteral("Show this help and exit.")),
      version_({QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Show the program's name and version and exit.")),
      configDir_(QStringLiteral("config-dir"), configDirHelp, QStringLiteral("DIR")),
      archive_(QStringLiteral("archive"), QString(), QStringLiteral("FILE")),
      noArchive_(QStringLiteral("no-archive"),
                 QStringLiteral("Keeps no station archive in this run, whatever --archive says.")) {
  parser_.setApplicationDescription(description);
  // -platform is Qt's option "platform", not -p -l -a ...: no program here has short options
  // to bundle.
  parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser_.addOptions({help_, version_});
  hasConfigDir_ = !configDirHelp.isEmpty();
  if (hasConfigDir_) parser_.addOption(configDir_);
}

void ProgramCommandLine::AddOptions(const QList<QCommandLineOption>& options) {
  parser_.addOptions(options);
}

void ProgramCommandLine::AddArchiveOptions(const QString& defaultPlace) {
  archive_.setDescription(
      QStringLiteral("Keeps every captured record in this station archive (default: %1).")
          .arg(defaultPlace));
  parser_.addOptions({archive_, noArchive_});
}

void ProgramCommandLine::AddPositionalArgument(const QString& name, const QString& description,
                                               const QString& syntax) {
  parser_.addPositionalArgument(name, description, syntax);
  takesPositional_ = true;
}

std::optional<ProgramExit> ProgramCommandLine::Parse(const QStringList& arguments) {
  if (!parser_.parse(arguments)) return UsageError(parser_.errorText());
  if (parser_.optionNames().contains(archive_.names().first()) &&
      parser_.value(archive_.names().first()).isEmpty()) {
    return UsageError(QStringLiteral("--archive needs a file name."));
  }
  if (!takesPositional_ && !parser_.positionalArguments().isEmpty()) {
    return UsageError(
        QStringLiteral("Unexpected argument '%1'.").arg(parser_.positionalArguments().first()));
  }
  if (parser_.isSet(help_)) return ProgramExit{kExitSuccess, parser_.helpText()};
  if (parser_.isSet(version_)) {
    return ProgramExit{kExitSuccess, QStringLiteral("%1 " ANEMOMETER_VERSION "\n").arg(name_)};
  }
  return std::nullopt;
}

QString ProgramCommandLine::ConfigDir() const {
  return hasConfigDir_ && parser_.isSet(configDir_) ? QDir(parser_.value(configDir_)).absolutePath()
                                                    : QString();
}

ArchiveChoice ProgramCommandLine::Archive() const {
  const QStringList given = parser_.optionNames();
  ArchiveChoice choice;
  choice.keep = !given.contains(noArchive_.names().first());
  if (given.contains(archive_.names().first())) {
    choice.file = QDir(parser_.value(archive_.names().first())).absolutePath();
  }
  return choice;
}

ProgramExit ProgramCommandLine::UsageError(const QString& text) const {
  return {kExitUsage, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(name_, text)};
}

ProgramExit ProgramCommandLine::CannotRun(const QString& text) const {
  return {kExitCannotRun, QStringLiteral("%1: %2\n").arg(name_, text)};
}
