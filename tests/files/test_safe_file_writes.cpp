// Every file the program writes whole (the calibration table, the settings file, Save and the PDF
// report) survives a disk that fills up at any step of the write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "core/calibration.h"
#include "files/csv_writer.h"
#include "files/pdf_report.h"
#include "files/posix_file_store.h"
#include "files/settings_file.h"
#include "tests/support/failing_file_calls.h"
#include "tests/support/temporary_program_dir.h"

namespace fs = std::filesystem;

namespace {

using Call = FailingFileCalls::Call;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t EntriesIn(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Enough rows for the CSV to leave the writer's buffer several times.
RecordStore ManyRecords() {
  RecordStore store;
  for (int i = 0; i < 4000; ++i) {
    MeasurementRecord record;
    record.Time = {2009, 3, 0, 1, 9, 5, static_cast<std::uint16_t>(i % 60), 0};
    record.AvgSpeed = 0.25f * static_cast<float>(i % 97);
    record.Temperature = -3.5f;
    record.Sector = i % 16;
    store.Append(record);
  }
  return store;
}

struct Writer {
  const char* name;
  std::function<bool(const fs::path&, FileCalls&)> save;
};

class SafeFileWritesTest : public ::testing::Test {
 protected:
  const RecordStore records_ = ManyRecords();
  const Writer writers_[4] = {
      {"anemometer.cal",
       [](const fs::path& file, FileCalls& calls) {
         PosixFileStore store(calls);
         return SaveCalibration(store, file, DefaultCalibrationTable()) == 0;
       }},
      {"anemometer.ini",
       [](const fs::path& file, FileCalls& calls) { return SaveSettingsFile(file, 5, 3, calls); }},
      {"saved.csv",
       [this](const fs::path& file, FileCalls& calls) {
         return SaveCsv(file, records_, calls) == FileOutcome::Ok;
       }},
      {"report.pdf",
       [this](const fs::path& file, FileCalls& calls) {
         return WritePdfReport(file, records_, {2009, 3, 0, 1, 9, 5, 7, 0}, calls) ==
                PdfOutcome::Ok;
       }},
  };
  // A valid settings file, so that the settings writer gets as far as writing.
  const std::string previous_ = "[Anemometer]\r\nPosunutiSmeruVetru=1\r\nTypGrafuNaKompasu=2\r\n";
  TemporaryProgramDir dir_;
};

TEST_F(SafeFileWritesTest, AFailureAtAnyStepLeavesThePreviousFileAsItWasAndIsReported) {
  for (const Writer& writer : writers_) {
    const fs::path file = dir_.File(writer.name);
    dir_.Write(writer.name, previous_);
    fs::permissions(file, fs::perms(0640));
    for (const Call call : {Call::Open, Call::Write, Call::Fsync, Call::Close, Call::Rename}) {
      // The nth call of the kind fails, for every n the write makes.
      for (int nth = 1;; ++nth) {
        SCOPED_TRACE(std::string(writer.name) + ", call kind " +
                     std::to_string(static_cast<int>(call)) + ", number " + std::to_string(nth));
        FailingFileCalls calls(call, nth);
        const bool saved = writer.save(file, calls);
        if (!calls.Failed()) {
          EXPECT_TRUE(saved) << "nothing failed";
          EXPECT_GT(nth, 1) << "the write makes at least one call of each kind";
          dir_.Write(writer.name, previous_);
          break;
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(ReadBytes(file), previous_);
        EXPECT_EQ(EntriesIn(dir_.Path()), 1u) << "the temporary file is removed";
        ASSERT_LT(nth, 50);
      }
    }
    // Then a write that succeeds replaces the file and keeps its mode.
    FailingFileCalls none;
    ASSERT_TRUE(writer.save(file, none)) << writer.name;
    EXPECT_NE(ReadBytes(file), previous_) << writer.name;
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640)) << writer.name;
    fs::remove(file);
  }
}

}  // namespace
