#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "archive/civil_time.h"
#include "core/direction_sector.h"
#include "files/csv_format.h"
#include "files/data_file_reader.h"
#include "tests/support/test_program.h"

namespace {

struct ToolRun {
  int status = -1;  // -1: did not end normally within the limit
  QByteArray out;
  QString err;
};

// Three December days a minute apart, each day with its own twist: the 5th turns between NNW
// and NNE at equal speeds (a vector mean of north, where the plain mean of the angles is south),
// the 6th has a 20-minute gap, the 7th two records in one second.
std::vector<MeasurementRecord> GeneratedRows() {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> speed(0.5f, 12.0f), temperature(-12.0f, 6.0f);
  std::vector<MeasurementRecord> rows;
  const std::int64_t start = DaysFromCivil(2026, 12, 5) * 86400;
  float pairSpeed = 0.0f;
  for (std::int64_t i = 0; i < 3 * 1440; ++i) {
    const std::int64_t local = start + i * 60;
    const std::int64_t day = i / 1440;
    if (day == 1 && i % 1440 >= 600 && i % 1440 < 620) continue;
    MeasurementRecord r;
    r.Time = CivilFromSeconds(local);
    r.Time.DayOfWeek = 0;
    if (day == 0) {
      if (i % 2 == 0) pairSpeed = speed(random);
      r.AvgSpeed = pairSpeed;
      r.Sector = i % 2 == 0 ? 15 : 1;
    } else {
      r.AvgSpeed = speed(random);
      r.Sector = static_cast<std::int32_t>(random() % 16);
    }
    r.GustSpeed = r.AvgSpeed * 1.6f;
    r.Temperature = temperature(random);
    r.WindChillAvg = r.Temperature - 2.5f;
    r.WindChillGust = r.Temperature - 4.25f;
    r.BeaufortAvg = 3;
    r.BeaufortGust = 5;
    rows.push_back(r);
    if (day == 2 && i % 1440 == 700) rows.push_back(r);  // the same second again
  }
  return rows;
}

// The logger's ISO log of the rows, in UTC: the shortest digits that read back as each float.
QByteArray IsoLogOf(const std::vector<MeasurementRecord>& rows) {
  std::string text =
      "time,wind_speed,wind_gust,wind_direction,wind_direction_deg,temperature,wind_chill,"
      "wind_chill_gust,beaufort,beaufort_gust\n";
  const auto Number = [&text](float value) {
    char digits[64];
    text += ',';
    text.append(digits,
                std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed).ptr);
  };
  for (const MeasurementRecord& r : rows) {
    char time[64];
    std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02d+00:00", r.Time.Year,
                  r.Time.Month, r.Time.Day, r.Time.Hour, r.Time.Minute, r.Time.Second);
    text += time;
    Number(r.AvgSpeed);
    Number(r.GustSpeed);
    text += std::string(",") + SectorName(r.Sector);
    Number(static_cast<float>(r.Sector) * 22.5f);
    for (float value :
         {r.Temperature, r.WindChillAvg, r.WindChillGust, r.BeaufortAvg, r.BeaufortGust}) {
      Number(value);
    }
    text += '\n';
  }
  return QByteArray::fromStdString(text);
}

QByteArray CsvOf(const std::vector<MeasurementRecord>& rows) {
  std::string text = CsvHeaderLine();
  for (const MeasurementRecord& r : rows) AppendCsvRowLine(text, r);
  return QByteArray::fromStdString(text);
}

// What the report should say of a day, worked out from the rows alone.
struct Expected {
  double meanSpeed = 0, windRunKm = 0, gust = -1, low = 1e9, high = -1e9, meanTemperature = 0;
  std::string gustTime, direction;
};

std::map<std::string, Expected> ExpectedDays(const std::vector<MeasurementRecord>& rows) {
  struct Sums {
    double run = 0, temperatureTime = 0, seconds = 0, east = 0, north = 0;
    Expected e;
  };
  std::map<std::string, Sums> days;
  std::int64_t previous = 0, usual = 0;
  bool first = true;
  for (const MeasurementRecord& r : rows) {
    const std::int64_t t = SecondsFromCivil(r.Time);
    // The archive's rule: the time since the previous record, else the last such interval.
    std::int64_t interval = usual;
    if (!first && t - previous <= 600) interval = t - previous;
    if (!first && t - previous <= 600 && t > previous) usual = interval;
    first = false;
    previous = t;
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", r.Time.Year, r.Time.Month, r.Time.Day);
    Sums& s = days[date];
    s.run += r.AvgSpeed * static_cast<double>(interval);
    s.temperatureTime += r.Temperature * static_cast<double>(interval);
    s.seconds += static_cast<double>(interval);
    if (r.Sector < 16) {
      const double angle = r.Sector * 22.5 * std::numbers::pi / 180.0;
      s.east += r.AvgSpeed * std::sin(angle);
      s.north += r.AvgSpeed * std::cos(angle);
    }
    if (r.GustSpeed > s.e.gust) {
      s.e.gust = r.GustSpeed;
      char time[64];
      std::snprintf(time, sizeof time, "%sT%02d:%02d:%02d", date, r.Time.Hour, r.Time.Minute,
                    r.Time.Second);
      s.e.gustTime = time;
    }
    s.e.low = std::min<double>(s.e.low, r.Temperature);
    s.e.high = std::max<double>(s.e.high, r.Temperature);
  }
  std::map<std::string, Expected> result;
  for (auto& [date, s] : days) {
    s.e.meanSpeed = s.run / s.seconds;
    s.e.windRunKm = s.run / 1000.0;
    s.e.meanTemperature = s.temperatureTime / s.seconds;
    double degrees = std::atan2(s.east, s.north) * 180.0 / std::numbers::pi;
    if (degrees < 0) degrees += 360.0;
    s.e.direction = SectorName(static_cast<int>(std::lround(degrees / 22.5)) % 16);
    result[date] = s.e;
  }
  return result;
}

std::vector<std::vector<std::string>> CsvCells(const QByteArray& text) {
  std::vector<std::vector<std::string>> rows;
  for (const QByteArray& line : text.split('\n')) {
    if (line.isEmpty()) continue;
    std::vector<std::string> cells;
    for (const QByteArray& cell : line.split(',')) cells.push_back(cell.toStdString());
    rows.push_back(cells);
  }
  return rows;
}

class ArchiveTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    archive_ = dir_.filePath(QStringLiteral("archive.sqlite"));
    rows_ = GeneratedRows();
    csv_ = Write(QStringLiteral("wind.csv"), CsvOf(rows_));
  }

  QString Write(const QString& name, const QByteArray& bytes) {
    QFile file(dir_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }

  // The tool on this test's archive (unless told otherwise), its output kept.
  ToolRun Tool(QStringList arguments, bool ownArchive = true, const QString& outputFile = {}) {
    if (ownArchive) arguments << QStringLiteral("--archive") << archive_;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty()) process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(ARCHIVE_TOOL_PROGRAM), arguments);
    ToolRun run;
    if (!process.waitForFinished(60000)) {
      process.kill();
      process.waitForFinished();
      return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
  }

  void Import() {
    const ToolRun run = Tool({"import", csv_});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
  }

  QTemporaryDir dir_;
  QString archive_;
  QString csv_;
  std::vector<MeasurementRecord> rows_;
};

TEST_F(ArchiveTool, MonthReportAgreesWithTheRowsItWasImportedFrom) {
  Import();
  const ToolRun report = Tool({"report", "--month", "2026-12", "--format", "csv"});
  ASSERT_EQ(report.status, 0) << report.err.toStdString();
  const auto cells = CsvCells(report.out);
  const std::map<std::string, Expected> days = ExpectedDays(rows_);
  ASSERT_EQ(cells.size(), days.size() + 2);  // header, the days, the month
  EXPECT_EQ(days.at("2026-12-05").direction, "N");
  for (std::size_t i = 1; i <= days.size(); ++i) {
    const std::vector<std::string>& row = cells[i];
    ASSERT_EQ(row.size(), 12u);
    const Expected& e = days.at(row[0]);
    SCOPED_TRACE(row[0]);
    EXPECT_NEAR(std::stod(row[2]), e.meanSpeed, 6e-4);
    EXPECT_NEAR(std::stod(row[3]), e.gust, 6e-4);
    EXPECT_EQ(row[4], e.gustTime);
    EXPECT_EQ(row[5], e.direction);
    EXPECT_NEAR(std::stod(row[7]), e.windRunKm, 6e-4);
    EXPECT_NEAR(std::stod(row[8]), e.meanTemperature, 6e-4);
    EXPECT_NEAR(std::stod(row[9]), e.high, 6e-4);
    EXPECT_NEAR(std::stod(row[10]), e.low, 6e-4);
  }
  // In knots: speeds and the wind run in their units, temperatures as they were.
  const auto knots =
      CsvCells(Tool({"report", "--month", "2026-12", "--format", "csv", "--units", "kn"}).out);
  ASSERT_EQ(knots.size(), cells.size());
  EXPECT_EQ(knots[0][2], "mean_speed_kn");
  EXPECT_EQ(knots[0][7], "wind_run_nmi");
  const Expected& fifth = days.at("2026-12-05");
  EXPECT_NEAR(std::stod(knots[1][2]), fifth.meanSpeed * 3600.0 / 1852.0, 6e-4);
  EXPECT_NEAR(std::stod(knots[1][7]), fifth.windRunKm / 1.852, 6e-4);
  EXPECT_EQ(knots[1][9], cells[1][9]);
  // The month row is the days merged, and so is the year's.
  double run = 0;
  for (const auto& [date, e] : days) run += e.windRunKm;
  EXPECT_EQ(cells.back()[0], "2026-12");
  EXPECT_NEAR(std::stod(cells.back()[7]), run, 2e-3);
  const auto year = CsvCells(Tool({"report", "--year", "2026", "--format", "csv"}).out);
  ASSERT_EQ(year.size(), 3u);
  EXPECT_EQ(std::vector(year[1].begin() + 1, year[1].end()),
            std::vector(cells.back().begin() + 1, cells.back().end()));
}

TEST_F(ArchiveTool, ImportsOnceAndKeepsItsSummariesRight) {
  const std::string total = std::to_string(rows_.size());
  ToolRun first = Tool({"import", csv_});
  ASSERT_EQ(first.status, 0) << first.err.toStdString();
  EXPECT_TRUE(first.out.contains(": " + total + " added, 0 already there")) << first.out.data();
  const ToolRun again = Tool({"import", csv_});
  EXPECT_EQ(again.status, 0);
  EXPECT_TRUE(again.out.contains(": 0 added, " + total + " already there")) << again.out.data();

  const QByteArray before = Tool({"report", "--month", "2026-12"}).out;
  EXPECT_EQ(Tool({"check"}).status, 0);
  EXPECT_EQ(Tool({"rebuild"}).status, 0);
  EXPECT_EQ(Tool({"check"}).status, 0);
  EXPECT_EQ(Tool({"report", "--month", "2026-12"}).out, before);
}

TEST_F(ArchiveTool, RefusesAFileWithABadLineAndWritesNothingOfIt) {
  Import();
  const QByteArray archived = Tool({"export"}).out;
  // A later day's rows, so that anything written would show in the export.
  std::vector<MeasurementRecord> later = rows_;
  for (MeasurementRecord& r : later) r.Time.Day = static_cast<std::uint16_t>(r.Time.Day + 10);
  struct Case {
    int line;  // of the file, the header being line 1
    const char* text;
    const char* message;
  };
  // clang-format off
  const Case cases[] = {
      {2,   "garbage",                                       "Incorrect line format."},
      {500, "5.12 2026 10:00:00,1,2,3,4,5,6,7",              "Incorrect line format."},
      {900, "5.x 2026 10:00:00,1,2,3,4,5,6,7,N",             "Incorrect date format."},
      {77,  "5.12 2026 10:00:00,1,2,3,4,5,6,7,NORTHWEST",    "Unknown wind direction string."},
  };
  // clang-format on
  for (const Case& c : cases) {
    QList<QByteArray> lines = CsvOf(later).split('\n');
    lines[c.line - 1] = QByteArray(c.text) + '\r';
    const QString file = Write(QStringLiteral("bad.csv"), lines.join('\n'));
    const ToolRun run = Tool({"import", file});
    EXPECT_EQ(run.status, 1) << c.text;
    EXPECT_TRUE(run.err.contains(QStringLiteral("line %1: %2").arg(c.line).arg(c.message)))
        << run.err.toStdString();
    EXPECT_EQ(Tool({"export"}).out, archived) << c.text;
  }
}

// The logger may keep its log in either format; both give the same records.
TEST_F(ArchiveTool, TheIsoLogImportsAsTheSameRecordsAsTheLiveLog) {
  const QByteArray iso = IsoLogOf(rows_);
  const ToolRun first = Tool({"import", Write(QStringLiteral("wind-iso.csv"), iso)});
  ASSERT_EQ(first.status, 0) << first.err.toStdString();
  const ToolRun again = Tool({"import", csv_});
  EXPECT_TRUE(again.out.contains(": 0 added, " + std::to_string(rows_.size()) + " already there"))
      << again.out.data();
  EXPECT_EQ(Tool({"export"}).out, CsvOf(rows_));

  QList<QByteArray> lines = iso.split('\n');
  QList<QByteArray> fields = lines[41].split(',');
  fields[3] = "NORD";
  lines[41] = fields.join(',');
  const ToolRun bad = Tool({"import", Write(QStringLiteral("bad-iso.csv"), lines.join('\n'))});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.err.contains(QStringLiteral("line 42:"))) << bad.err.toStdString();
}

TEST_F(ArchiveTool, ExportGivesBackTheImportedFileByteForByte) {
  Import();
  const QByteArray original = CsvOf(rows_);
  EXPECT_EQ(Tool({"export"}).out, original);

  const QString copy = dir_.filePath(QStringLiteral("copy.csv"));
  ASSERT_EQ(Tool({"export", "--output", copy}).status, 0);
  QFile written(copy);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), original);

  // A date as --to takes in its whole day.
  std::vector<MeasurementRecord> sixth;
  for (const MeasurementRecord& r : rows_) {
    if (r.Time.Day == 6) sixth.push_back(r);
  }
  EXPECT_EQ(Tool({"export", "--from", "2026-12-06", "--to", "2026-12-06"}).out, CsvOf(sixth));
  std::vector<MeasurementRecord> evening;
  for (const MeasurementRecord& r : rows_) {
    if (r.Time.Day == 7 && r.Time.Hour >= 18) evening.push_back(r);
  }
  EXPECT_EQ(Tool({"export", "--from", "2026-12-07T18:00"}).out, CsvOf(evening));
}

// The station as a user runs it: the logger on the simulator fills the archive, and the tool reads
// it meanwhile (without holding the logger up) and afterwards; its month report agrees with what
// the logger's CSV log says, and its export is that log byte for byte.
TEST_F(ArchiveTool, TheLoggersArchiveReadWhileItWritesAgreesWithItsLog) {
  const QString log = dir_.filePath(QStringLiteral("station.csv"));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
  Program logger(LOGGER_PROGRAM,
                 {QStringLiteral("--simulate"), QStringLiteral("--interval=0.05"),
                  QStringLiteral("--config-dir"), dir_.path(), QStringLiteral("--log"), log,
                  QStringLiteral("--archive"), archive_},
                 environment);
  ASSERT_TRUE(WaitUntil([&] { return CsvDataRows(log) >= 20; })) << logger.Errors().toStdString();
  for (int read = 0; read < 5; ++read) {
    ASSERT_EQ(Tool({"export"}).status, 0);
    ASSERT_EQ(Tool({"report", "--year", "2026"}).status, 0);
  }
  const qsizetype rowsWhileRead = CsvDataRows(log);
  ASSERT_TRUE(WaitUntil([&] { return CsvDataRows(log) >= rowsWhileRead + 20; }))
      << "the logger went on while it was read";
  ASSERT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
  EXPECT_FALSE(logger.Errors().contains(QStringLiteral("cannot write the archive")));

  std::vector<MeasurementRecord> logged;
  ASSERT_EQ(
      ReadDataFile(log.toStdString(), [&](const MeasurementRecord& r) { logged.push_back(r); }),
      ReadOutcome::Ok);
  QFile logFile(log);
  ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(Tool({"export"}).out, logFile.readAll());

  char month[16];
  std::snprintf(month, sizeof month, "%04d-%02d", logged.front().Time.Year,
                logged.front().Time.Month);
  const ToolRun report = Tool({"report", "--month", month, "--format", "csv"});
  ASSERT_EQ(report.status, 0) << report.err.toStdString();
  const auto cells = CsvCells(report.out);
  const std::map<std::string, Expected> days = ExpectedDays(logged);
  ASSERT_EQ(cells.size(), days.size() + 2);
  for (std::size_t i = 1; i <= days.size(); ++i) {
    const Expected& e = days.at(cells[i][0]);
    EXPECT_NEAR(std::stod(cells[i][2]), e.meanSpeed, 6e-4);
    EXPECT_NEAR(std::stod(cells[i][3]), e.gust, 6e-4);
    EXPECT_EQ(cells[i][4], e.gustTime);
    EXPECT_EQ(cells[i][5], e.direction);
    EXPECT_NEAR(std::stod(cells[i][7]), e.windRunKm, 6e-4);
    EXPECT_NEAR(std::stod(cells[i][8]), e.meanTemperature, 6e-4);
  }
}

TEST_F(ArchiveTool, AFailedWriteIsNeverASuccess) {
  Import();
  EXPECT_EQ(Tool({"export"}, true, QStringLiteral("/dev/full")).status, 1);
  EXPECT_EQ(Tool({"report", "--month", "2026-12"}, true, QStringLiteral("/dev/full")).status, 1);
  EXPECT_EQ(
      Tool({"export", "--output", dir_.filePath(QStringLiteral("no/such/folder/x.csv"))}).status,
      1);
}

TEST_F(ArchiveTool, WrongCommandLinesExitTwo) {
  Import();
  ASSERT_EQ(Tool({"import", "--station", "roof", csv_}).status, 0);
  const QStringList cases[] = {
      {},
      {"frobnicate"},
      {"report"},
      {"report", "--month", "2026-13"},
      {"report", "--month", "2026-12", "--year", "2026"},
      {"report", "--year", "26"},
      {"report", "--month", "2026-12", "--units", "furlongs"},
      {"report", "--month", "2026-12", "--format", "xml"},
      {"export", "--from", "yesterday"},
      {"export", "--from", "2026-12-07", "--to", "2026-12-06"},
      {"import"},
      {"check", "extra"},
      {"import", "--month", "2026-12", csv_},
      {"records", "--output", "x.csv"},
      {"records"},  // two stations, none named
      {"records", "--station", "cellar"},
  };
  for (const QStringList& arguments : cases) {
    const ToolRun run = Tool(arguments);
    EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("--help"))) << run.err.toStdString();
  }
  const ToolRun several = Tool({"report", "--month", "2026-12"});
  EXPECT_TRUE(several.err.contains(QStringLiteral("default, roof"))) << several.err.toStdString();
  EXPECT_EQ(Tool({"records", "--station", "roof"}).status, 0);

  const ToolRun missing =
      Tool({"check", "--archive", dir_.filePath(QStringLiteral("none/archive.sqlite"))}, false);
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("none/archive.sqlite")))
      << missing.err.toStdString();
}

}  // namespace
