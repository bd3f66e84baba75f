#include "archive_tool/archive_tool_options.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <memory>
#include <tuple>
#include <utility>

namespace {

// Far beyond any record, either way, and still clear of overflow in the archive's arithmetic.
constexpr std::int64_t kEverything = std::int64_t{1} << 40;

struct CommandName {
  const char* name;
  ArchiveCommand command;
};
constexpr std::array<CommandName, 6> kCommands = {{{"import", ArchiveCommand::Import},
                                                   {"report", ArchiveCommand::Report},
                                                   {"records", ArchiveCommand::Records},
                                                   {"export", ArchiveCommand::Export},
                                                   {"rebuild", ArchiveCommand::Rebuild},
                                                   {"check", ArchiveCommand::Check}}};

std::unique_ptr<ProgramCommandLine> MakeCommandLine() {
  return std::make_unique<ProgramCommandLine>(
      QString::fromLatin1(kArchiveToolName),
      QStringLiteral(
          "Works with the station archive that the window and the logger keep.\n\n"
          "Commands:\n"
          "  import FILE...   the program's CSV files (Save, the live log, the logger's logs)\n"
          "  report           a climatological summary: --month YYYY-MM or --year YYYY\n"
          "  records          the station's records (extremes), all time and per year\n"
          "  export           the records in the live log's CSV format (--from, --to, --output)\n"
          "  rebuild          the minute, hour and day summaries anew from the records\n"
          "  check            the file's integrity and every summary against its records"),
      QString());
}

}  // namespace

ProgramExit ArchiveToolUsageError(const QString& text) {
  return MakeCommandLine()->UsageError(text);
}

ProgramExit ArchiveToolFailure(const QString& text) { return MakeCommandLine()->CannotRun(text); }

ArchiveToolCommand ParseArchiveToolOptions(const QStringList& arguments) {
  const std::unique_ptr<ProgramCommandLine> commandLine = MakeCommandLine();
  const QCommandLineOption archive(
      QStringLiteral("archive"),
      QStringLiteral("The archive file (default: the one the window and the logger use)."),
      QStringLiteral("FILE"));
  const QCommandLineOption station(
      QStringLiteral("station"),
      QStringLiteral("The station (default: the archive's only one; import: \"default\" in a "
                     "new archive)."),
      QStringLiteral("NAME"));
  const QCommandLineOption month(QStringLiteral("month"),
                                 QStringLiteral("report: the month's summary, day by day."),
                                 QStringLiteral("YYYY-MM"));
  const QCommandLineOption year(QStringLiteral("year"),
                                QStringLiteral("report: the year's summary, month by month."),
                                QStringLiteral("YYYY"));
  const QCommandLineOption format(QStringLiteral("format"),
                                  QStringLiteral("report, records: text (default), csv or json."),
                                  QStringLiteral("FORMAT"), QStringLiteral("text"));
  const QCommandLineOption units(
      QStringLiteral("units"),
      QStringLiteral("Speeds in ms (default), kmh, kn or mph; wind run in km, km, nautical "
                     "miles or miles."),
      QStringLiteral("UNIT"), QStringLiteral("ms"));
  const QCommandLineOption from(
      QStringLiteral("from"),
      QStringLiteral("export: from this local time, YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS]."),
      QStringLiteral("TIME"));
  const QCommandLineOption to(QStringLiteral("to"),
                              QStringLiteral("export: before this local time; a date includes "
                                             "its whole day."),
                              QStringLiteral("TIME"));
  const QCommandLineOption output(
      QStringLiteral("output"),
      QStringLiteral("export: into this file, replaced whole (default: standard output)."),
      QStringLiteral("FILE"));
  commandLine->AddOptions({archive, station, month, year, format, units, from, to, output});
  commandLine->AddPositionalArgument(QStringLiteral("command"),
                                     QStringLiteral("import, report, records, export, rebuild "
                                                    "or check."),
                                     QStringLiteral("COMMAND [FILE...]"));
  if (std::optional<ProgramExit> end = commandLine->Parse(arguments)) return *end;
  const QCommandLineParser& parser = commandLine->Parser();
  const auto Usage = [&commandLine](const QString& text) { return commandLine->UsageError(text); };

  QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) {
    return Usage(
        QStringLiteral("Give a command: import, report, records, export, rebuild or "
                       "check."));
  }
  const QString commandName = positional.takeFirst();
  ArchiveToolOptions options;
  const auto known = std::find_if(kCommands.begin(), kCommands.end(), [&](const CommandName& c) {
    return commandName == QLatin1String(c.name);
  });
  if (known == kCommands.end())
    return Usage(QStringLiteral("Unknown command '%1'.").arg(commandName));
  options.command = known->command;
  const ArchiveCommand command = options.command;

  if (command == ArchiveCommand::Import) {
    if (positional.isEmpty()) return Usage(QStringLiteral("import needs at least one FILE."));
    for (const QString& file : positional) {
      options.files.emplace_back(QFile::encodeName(file).toStdString());
    }
  } else if (!positional.isEmpty()) {
    return Usage(QStringLiteral("Unexpected argument '%1'.").arg(positional.first()));
  }

  // Each option belongs to some commands; elsewhere it is a mistake rather than something to
  // ignore.
  const auto Bit = [](ArchiveCommand c) { return 1u << static_cast<unsigned>(c); };
  const unsigned report = Bit(ArchiveCommand::Report);
  const unsigned exporting = Bit(ArchiveCommand::Export);
  const std::array<std::pair<const QCommandLineOption*, unsigned>, 7> owners = {{
      {&month, report},
      {&year, report},
      {&format, report | Bit(ArchiveCommand::Records)},
      {&units, report | Bit(ArchiveCommand::Records) | exporting},
      {&from, exporting},
      {&to, exporting},
      {&output, exporting},
  }};
  for (const auto& [option, commands] : owners) {
    if (parser.isSet(*option) && (commands & Bit(command)) == 0) {
      return Usage(
          QStringLiteral("--%1 does not go with %2.").arg(option->names().first(), commandName));
    }
  }

  if (parser.isSet(archive)) {
    if (parser.value(archive).isEmpty())
      return Usage(QStringLiteral("--archive needs a file name."));
    options.archive = QFile::encodeName(QDir(parser.value(archive)).absolutePath()).toStdString();
  }
  if (parser.isSet(station)) {
    if (parser.value(station).isEmpty()) return Usage(QStringLiteral("--station needs a name."));
    options.station = parser.value(station).toStdString();
  }
  const std::optional<WindUnits> chosenUnits = WindUnitsFromName(parser.value(units).toStdString());
  if (!chosenUnits) {
    return Usage(
        QStringLiteral("Bad unit '%1': give ms, kmh, kn or mph.").arg(parser.value(units)));
  }
  options.units = *chosenUnits;
  const QString formatName = parser.value(format);
  if (formatName == QStringLiteral("csv")) {
    options.format = ReportFormat::Csv;
  } else if (formatName == QStringLiteral("json")) {
    options.format = ReportFormat::Json;
  } else if (formatName != QStringLiteral("text")) {
    return Usage(QStringLiteral("Bad format '%1': give text, csv or json.").arg(formatName));
  }

  if (command == ArchiveCommand::Report) {
    if (parser.isSet(month) == parser.isSet(year)) {
      return Usage(QStringLiteral("report needs either --month YYYY-MM or --year YYYY."));
    }
    options.yearly = parser.isSet(year);
    options.period = parser.value(options.yearly ? year : month).toStdString();
    const std::optional<LocalSpan> span =
        options.yearly ? YearSpan(options.period) : MonthSpan(options.period);
    if (!span) {
      return Usage(options.yearly
                       ? QStringLiteral("Bad year '%1': give YYYY.").arg(parser.value(year))
                       : QStringLiteral("Bad month '%1': give YYYY-MM.").arg(parser.value(month)));
    }
    options.span = *span;
  }

  if (command == ArchiveCommand::Export) {
    options.from = -kEverything;
    options.to = kEverything;
    for (const auto& [option, target, wholeDay] :
         {std::tuple{&from, &options.from, false}, std::tuple{&to, &options.to, true}}) {
      if (!parser.isSet(*option)) continue;
      const std::optional<std::int64_t> seconds =
          LocalSecondsFromIso(parser.value(*option).toStdString(), wholeDay);
      if (!seconds) {
        return Usage(QStringLiteral("Bad time '%1': give YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS].")
                         .arg(parser.value(*option)));
      }
      *target = *seconds;
    }
    if (options.from >= options.to) return Usage(QStringLiteral("--from must come before --to."));
    if (parser.isSet(output)) {
      if (parser.value(output).isEmpty())
        return Usage(QStringLiteral("--output needs a file name."));
      options.output = QFile::encodeName(parser.value(output)).toStdString();
    }
  }
  return options;
}
