#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "archive_tool/time_arguments.h"
#include "archive_tool/wind_units.h"
#include "program_options/program_command_line.h"

inline constexpr char kArchiveToolName[] = "kelvra-anemometer-archive";

enum class ArchiveCommand { Import, Report, Records, Export, Rebuild, Check };
enum class ReportFormat { Text, Csv, Json };

struct ArchiveToolOptions {
  ArchiveCommand command = ArchiveCommand::Check;
  std::filesystem::path archive;             // empty: the default archive
  std::string station;                       // empty: the archive's only station
  std::vector<std::filesystem::path> files;  // import
  // report: the month ("2026-12") or the year ("2026") and its days
  std::string period;
  LocalSpan span;
  bool yearly = false;
  ReportFormat format = ReportFormat::Text;
  WindUnits units;
  // export: local seconds [from, to); everything by default
  std::int64_t from = 0;
  std::int64_t to = 0;
  std::filesystem::path output;  // empty: standard output
};

using ArchiveToolCommand = std::variant<ArchiveToolOptions, ProgramExit>;

ArchiveToolCommand ParseArchiveToolOptions(const QStringList& arguments);

// The tool's wording of a wrong command line (status 2) and of a failure (status 1).
ProgramExit ArchiveToolUsageError(const QString& text);
ProgramExit ArchiveToolFailure(const QString& text);
