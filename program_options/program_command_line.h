#pragma once

// The command line the programs share: -h/--help, -v/--version and --config-dir DIR, the wording
// of a wrong command line and the exit statuses. Each program adds its own options and
// description, parses, and then reads its own options from Parser().

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCannotRun = 1;  // e.g. the window without a display
inline constexpr int kExitUsage = 2;      // a wrong command line

// A program that ends before it runs: answered (--help, --version: status 0, the text for
// standard output) or refused (status 1 or 2, the text for standard error). text is whole lines.
struct ProgramExit {
  int status = kExitSuccess;
  QString text;
};

// Where a program keeps the station archive.
struct ArchiveChoice {
  bool keep = true;  // false with --no-archive
  QString file;      // --archive FILE as an absolute path; empty: the program's default
};

// Prints the exit's text where it belongs and returns its status, for main() to return.
int Finish(const ProgramExit& end);

class ProgramCommandLine {
 public:
  // name: the executable's name, which the usage line, the version line and every error start
  // with. configDirHelp: what --config-dir does in this program; empty for a program that reads
  // no settings, which then has no --config-dir.
  ProgramCommandLine(const QString& name, const QString& description, const QString& configDirHelp);
  ProgramCommandLine(const ProgramCommandLine&) = delete;
  ProgramCommandLine& operator=(const ProgramCommandLine&) = delete;

  // The program's own options, before Parse.
  void AddOptions(const QList<QCommandLineOption>& options);
  // --archive FILE and --no-archive, for the programs that keep the station archive; before
  // Parse. --no-archive wins, so that it can be added to a service's options that name a file.
  void AddArchiveOptions(const QString& defaultPlace);
  // Arguments that are not options (a subcommand, file names), for the help text; without this
  // any such argument is a usage error.
  void AddPositionalArgument(const QString& name, const QString& description,
                             const QString& syntax);

  // arguments as main() received them, program name first. An exit for a wrong command line,
  // --help or --version, in that order; nothing when the program is to run. An option after a
  // single dash is one word (-platform), so an unknown one is named whole.
  std::optional<ProgramExit> Parse(const QStringList& arguments);

  // After Parse: the program's own options.
  const QCommandLineParser& Parser() const { return parser_; }
  // --config-dir as an absolute path, so that it does not follow later changes of directory;
  // empty when not given.
  QString ConfigDir() const;
  ArchiveChoice Archive() const;

  // A wrong command line the program found itself: "NAME: text" and "Try 'NAME --help'.".
  ProgramExit UsageError(const QString& text) const;
  // A program that cannot run: "NAME: text" alone, status 1.
  ProgramExit CannotRun(const QString& text) const;

 private:
  QString name_;
  QCommandLineParser parser_;
  QCommandLineOption help_;
  QCommandLineOption version_;
  QCommandLineOption configDir_;
  QCommandLineOption archive_;
  QCommandLineOption noArchive_;
  bool hasConfigDir_ = false;
  bool takesPositional_ = false;
};
