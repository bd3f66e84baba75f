#include "archive_tool/archive_tool_program.h"

#include <QCoreApplication>
#include <QFile>
#include <clocale>
#include <cstdio>
#include <memory>
#include <string>

#include "archive/archive_error.h"
#include "archive/station_archive.h"
#include "archive_tool/archive_tool_options.h"
#include "archive_tool/climate_report.h"
#include "archive_tool/csv_import.h"
#include "archive_tool/progress_line.h"
#include "archive_tool/record_export.h"
#include "archive_tool/station_records.h"
#include "core/program_files.h"
#include "files/atomic_file.h"

namespace {

// Standard output, every write checked: a full disk or a closed pipe must not end in success.
bool WriteOut(std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

bool FinishOut() { return std::fflush(stdout) == 0 && std::ferror(stdout) == 0; }

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString NameList(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& name : names) list << Text(name);
  return list.join(QStringLiteral(", "));
}

// The station the command works on, or how it ended.
std::variant<std::int32_t, ProgramExit> ChooseStation(StationArchive& archive,
                                                      const ArchiveToolOptions& options) {
  const bool creating = options.command == ArchiveCommand::Import;
  const std::vector<std::string> names = archive.StationNames();
  if (!options.station.empty()) {
    if (creating) return archive.Station(options.station);
    if (const std::optional<std::int32_t> id = archive.FindStation(options.station)) return *id;
    if (names.empty())
      return ArchiveToolFailure(QStringLiteral("The archive holds no station yet."));
    return ArchiveToolUsageError(QStringLiteral("No station '%1' in the archive; it holds: %2.")
                                     .arg(Text(options.station), NameList(names)));
  }
  if (names.size() == 1) return *archive.FindStation(names.front());
  if (names.empty()) {
    if (creating) return archive.Station("default");
    return ArchiveToolFailure(QStringLiteral("The archive holds no station yet."));
  }
  return ArchiveToolUsageError(
      QStringLiteral("The archive holds several stations (%1): name one with --station.")
          .arg(NameList(names)));
}

int Import(StationArchive& archive, std::int32_t station, const ArchiveToolOptions& options) {
  int status = kExitSuccess;
  for (const std::filesystem::path& file : options.files) {
    ImportResult result;
    {
      ProgressLine progress(file.filename().string());
      result = ImportDataFile(
          archive, station, file,
          [&progress](std::uint64_t done, std::uint64_t total) { progress.Show(done, total); });
    }
    if (result.refused) {
      Finish(
          ArchiveToolFailure(QStringLiteral("%1: %2 Nothing of it was imported.")
                                 .arg(QString::fromStdString(file.string()), Text(result.error))));
      status = kExitCannotRun;
      continue;
    }
    const std::string line = file.string() + ": " + std::to_string(result.added) + " added, " +
                             std::to_string(result.present) + " already there\n";
    if (!WriteOut(line)) status = kExitCannotRun;
  }
  return status;
}

std::string StationName(StationArchive& archive, std::int32_t station) {
  for (const std::string& name : archive.StationNames()) {
    if (archive.FindStation(name) == station) return name;
  }
  return {};
}

int Export(StationArchive& archive, std::int32_t station, const ArchiveToolOptions& options) {
  if (options.output.empty()) {
    const std::optional<std::int64_t> rows =
        ExportRecords(archive, station, options.from, options.to, options.units, WriteOut);
    if (rows && FinishOut()) return kExitSuccess;
    return Finish(ArchiveToolFailure(QStringLiteral("Cannot write to standard output.")));
  }
  const QString name = QString::fromStdString(options.output.string());
  AtomicFile file;
  if (file.Begin(options.output) != AtomicFile::Start::Ok) {
    return Finish(ArchiveToolFailure(QStringLiteral("Cannot open file: %1").arg(name)));
  }
  const std::optional<std::int64_t> rows =
      ExportRecords(archive, station, options.from, options.to, options.units,
                    [&file](std::string_view bytes) { return file.Write(bytes); });
  if (!rows || !file.Commit()) {
    return Finish(ArchiveToolFailure(QStringLiteral("Cannot write file: %1").arg(name)));
  }
  std::fprintf(stderr, "%s: %lld records\n", options.output.string().c_str(),
               static_cast<long long>(*rows));
  return kExitSuccess;
}

int Run(const ArchiveToolOptions& options) {
  const bool writes =
      options.command == ArchiveCommand::Import || options.command == ArchiveCommand::Rebuild;
  std::filesystem::path file = options.archive;
  if (file.empty()) {
    file = DefaultArchiveFile(ProcessEnvironment(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
    // A new archive's folder; an existing one is not touched.
    if (writes) {
      std::error_code ignored;
      std::filesystem::create_directories(file.parent_path(), ignored);
    }
  }
  std::unique_ptr<StationArchive> archive;
  try {
    archive = std::make_unique<StationArchive>(
        file, writes ? StationArchive::Access::Write : StationArchive::Access::Read);
  } catch (const ArchiveError& error) {
    return Finish(ArchiveToolFailure(Text(error.what())));
  }

  if (options.command == ArchiveCommand::Rebuild) {
    archive->RebuildSummaries();
    return WriteOut("Summaries rebuilt from " + std::to_string(archive->RecordCount()) +
                    " records.\n") &&
                   FinishOut()
               ? kExitSuccess
               : kExitCannotRun;
  }
  if (options.command == ArchiveCommand::Check) {
    const std::vector<std::string> problems = archive->Check();
    std::string text;
    for (const std::string& problem : problems) text += problem + '\n';
    if (problems.empty()) text = "No problems found.\n";
    const bool written = WriteOut(text) && FinishOut();
    return problems.empty() && written ? kExitSuccess : kExitCannotRun;
  }

  const std::variant<std::int32_t, ProgramExit> chosen = ChooseStation(*archive, options);
  if (const auto* end = std::get_if<ProgramExit>(&chosen)) return Finish(*end);
  const std::int32_t station = std::get<std::int32_t>(chosen);
  std::string text;
  switch (options.command) {
    case ArchiveCommand::Import:
      return Import(*archive, station, options);
    case ArchiveCommand::Export:
      return Export(*archive, station, options);
    case ArchiveCommand::Report: {
      const ClimateReport report =
          BuildClimateReport(*archive, station, StationName(*archive, station), options.period,
                             options.span, options.yearly);
      text = options.format == ReportFormat::Csv    ? ClimateReportCsv(report, options.units)
             : options.format == ReportFormat::Json ? ClimateReportJson(report, options.units)
                                                    : ClimateReportText(report, options.units);
      break;
    }
    case ArchiveCommand::Records: {
      const std::string name = StationName(*archive, station);
      const std::vector<PeriodExtremes> extremes = FindStationExtremes(*archive, station);
      text = options.format == ReportFormat::Csv    ? ExtremesCsv(extremes, options.units)
             : options.format == ReportFormat::Json ? ExtremesJson(name, extremes, options.units)
                                                    : ExtremesText(name, extremes, options.units);
      break;
    }
    case ArchiveCommand::Rebuild:
    case ArchiveCommand::Check:
      break;
  }
  if (WriteOut(text) && FinishOut()) return kExitSuccess;
  return Finish(ArchiveToolFailure(QStringLiteral("Cannot write to standard output.")));
}

}  // namespace

int RunArchiveTool(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  // Qt took the user's locale; numbers in files and reports keep the full stop.
  std::setlocale(LC_NUMERIC, "C");
  const ArchiveToolCommand command = ParseArchiveToolOptions(QCoreApplication::arguments());
  if (const auto* end = std::get_if<ProgramExit>(&command)) return Finish(*end);
  try {
    return Run(std::get<ArchiveToolOptions>(command));
  } catch (const ArchiveError& error) {
    return Finish(ArchiveToolFailure(Text(error.what())));
  }
}
