// The main window's path for one report: the capture thread's posted data event, the decoder,
// the record store and the whole display update, with the window shown on the offscreen
// platform, for 20,000 records (the data grid reaches its 17,280-row limit on the way).
//
// Reported: the per-record cost over the first and over the last 1,000 records and their
// ratio (a grid that shifts its rows would make the second grow with the rows shown), the
// resident memory growth from an empty grid to a full one, and, as the baseline of the same
// run, the measurement core alone on the same reports.
//
// BM_LiveRecordFullAgainst100Rows: one record at a full store (17,280 rows) against one at
// about 100 rows, two windows taking records in turn, each record's path from the decoder to
// the repainted window; and the grid's part alone (new top row, bottom row dropped when full,
// the grid repainted). Medians, and their ratios full / 100 rows.
//
// BM_CatchUpAgainstOpen: one report that makes up 17,000 missed ones into a full store (a
// computer back from sleep), decoder to repainted window, against Open of a 17,000-row file
// with the grid in another window, in turn; the ratio of their times.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "core/measurement_core.h"
#include "core/packet_encoder.h"
#include "core/record_store.h"
#include "device/hid_transport.h"
#include "device/system_clock.h"
#include "device/usb_anemometer.h"
#include "files/csv_writer.h"
#include "tests/support/named_child.h"
#include "ui/desktop/file_dialogs.h"
#include "ui/desktop/message_boxes.h"
#include "ui/main_window/main_form.h"
#include "ui/panels/record_display.h"
#include "ui/startup/program.h"
#include "ui/widgets/data_string_grid.h"
#include "ui/widgets/grid_record_row.h"

namespace {

constexpr int kRecords = 20000;
constexpr int kWindow = 1000;

// Counter, average and gust frequency, direction code and temperature of report n, varied so
// that every sector and the labels change.
Packet ReportNumber(std::uint32_t n) {
  return EncodePacket({.Counter = n,
                       .AvgFrequency = static_cast<std::int32_t>(2000 + n * 37 % 20000),
                       .GustFrequency = static_cast<std::int32_t>(4000 + n * 53 % 30000),
                       .DirectionCode = static_cast<std::int32_t>(1 + n % 16),
                       .Temperature = 10.5 + static_cast<double>(n % 20)});
}

// One anemometer that sends a report only when told to, so that each report is published and
// notified before the main thread handles it, and the measured part is the window's own.
class SteppedAnemometer : public HidTransport {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
    return {{"bench", vendorId, productId}};
  }
  HidIdentity Identify(const std::string&) override {
    return {HidOpenOutcome::Opened, kAnemometerVendorId, kAnemometerProductId};
  }
  std::unique_ptr<HidConnection> Open(const std::string&) override {
    return std::make_unique<Connection>(*this);
  }

  // Lets one report go and waits until the link has published it, notified the window and is
  // reading again.
  void Send() {
    std::unique_lock lock(mutex_);
    ++permits_;
    changed_.notify_all();
    const std::uint64_t target = served_ + 1;
    changed_.wait(lock, [&] { return served_ == target && waiting_; });
  }

 private:
  class Connection : public HidConnection {
   public:
    explicit Connection(SteppedAnemometer& device) : device_(device) {}
    int Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override {
      std::unique_lock lock(device_.mutex_);
      device_.waiting_ = true;
      device_.changed_.notify_all();
      const auto ready = [&] { return device_.permits_ > 0 || woken_; };
      bool released = true;
      if (timeoutMs < 0) {
        device_.changed_.wait(lock, ready);
      } else {
        released = device_.changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
      }
      device_.waiting_ = false;
      if (!released || woken_) return 0;
      --device_.permits_;
      ++device_.served_;
      const Packet report = ReportNumber(static_cast<std::uint32_t>(device_.served_));
      const std::size_t count = std::min(length, report.size());
      std::copy_n(report.begin(), count, buffer);
      return static_cast<int>(count);
    }
    void WakeUp() override {
      std::lock_guard lock(device_.mutex_);
      woken_ = true;
      device_.changed_.notify_all();
    }
    bool WakeUpEndsReads() const override { return true; }

   private:
    SteppedAnemometer& device_;
    bool woken_ = false;
  };

  std::mutex mutex_;
  std::condition_variable changed_;
  int permits_ = 0;
  std::uint64_t served_ = 0;
  bool waiting_ = false;
};

double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double MeanMicroseconds(const std::vector<double>& seconds, std::size_t first, std::size_t count) {
  const double sum =
      std::accumulate(seconds.begin() + static_cast<std::ptrdiff_t>(first),
                      seconds.begin() + static_cast<std::ptrdiff_t>(first + count), 0.0);
  return sum / static_cast<double>(count) * 1e6;
}

// The program directory has no anemometer.cal: the default table, with its notice counted here.
class CountedMessages : public MessageBoxes {
 public:
  void Show(const QString&, const QString&, MessageIcon) override { ++shown; }
  int shown = 0;
};

void BM_PostedReportToFinishedDisplay(benchmark::State& state) {
  for (auto _ : state) {
    SteppedAnemometer anemometer;
    SystemClock clock;
    CountedMessages messages;
    QTemporaryDir programDir;
    TMainForm form(MainFormServices{anemometer, clock,
                                    ProgramFiles{programDir.path().toStdString()}, &messages});
    form.show();
    QCoreApplication::processEvents();
    form.StartCaptureClick(nullptr);
    anemometer.Send();  // the first report after a start is dropped
    QCoreApplication::sendPostedEvents();

    const double emptyGrid = ResidentMegabytes();
    double fullGrid = emptyGrid;
    std::vector<double> seconds;
    seconds.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      anemometer.Send();
      const auto start = std::chrono::steady_clock::now();
      QCoreApplication::sendPostedEvents();
      seconds.push_back(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (form.Core().Records().Size() == RecordStore::kLimit && fullGrid == emptyGrid) {
        fullGrid = ResidentMegabytes();
      }
    }
    if (NamedChild<TDataStringGrid>(form, "DataGrid").RowCount() !=
            static_cast<int>(RecordStore::kLimit) + 1 ||
        messages.shown != 1) {
      state.SkipWithError("the grid did not reach its limit, or a message box came up");
    }
    form.StopCaptureClick(nullptr);

    const double first = MeanMicroseconds(seconds, 0, kWindow);
    const double last = MeanMicroseconds(seconds, kRecords - kWindow, kWindow);
    state.counters["first1000_us_per_record"] = first;
    state.counters["last1000_us_per_record"] = last;
    state.counters["last_to_first_ratio"] = last / first;
    state.counters["rss_growth_MB_empty_to_full_grid"] = fullGrid - emptyGrid;
    state.counters["all_us_per_record"] = MeanMicroseconds(seconds, 0, kRecords);
  }
}
BENCHMARK(BM_PostedReportToFinishedDisplay)->Iterations(1)->Unit(benchmark::kSecond);

// A shown main window that is fed reports straight into its decoder, the way the posted data
// event does, and then repaints.
class FedWindow {
 public:
  FedWindow()
      : form_(MainFormServices{anemometer_, clock_, ProgramFiles{dir_.path().toStdString()},
                               &messages_, &dialogs_}) {
    form_.show();
    QCoreApplication::processEvents();
    Prime();
  }

  // One report counter + rows: rows - 1 made-up rows and the report's own (rows up to the
  // store's limit). Returns seconds.
  double Report(std::uint32_t rows) {
    counter_ += rows;
    const auto start = std::chrono::steady_clock::now();
    form_.Core().DecodePacket(ReportNumber(counter_), kArrival);
    Settle();
    return SecondsSince(start);
  }

  // The grid's part of one live record: its new top row, the bottom row going when the store
  // is full, and the grid's repaint. Returns seconds.
  double GridRecord(bool full) {
    ++counter_;
    const auto start = std::chrono::steady_clock::now();
    form_.Display().BeginReport(1);
    if (full) form_.DropOldestGridRow();
    form_.AddGridRow(kArrival, static_cast<int>(counter_ % 16), 1, 2, 3, 4, 5, 6, 7);
    form_.Display().EndReport();
    Settle();
    return SecondsSince(start);
  }

  // Back to an empty store and display, as a capture start does.
  void Restart() {
    form_.Core().Records().Clear();
    form_.ClearChartPoints();
    form_.ResetDisplay();
    Prime();
  }

  double Open(const QString& file) {
    dialogs_.name = file;
    const auto start = std::chrono::steady_clock::now();
    form_.OpenClick(nullptr);
    Settle();
    return SecondsSince(start);
  }

  TMainForm& Form() { return form_; }
  int Messages() const { return messages_.shown; }

 private:
  static constexpr SystemTime kArrival{2008, 12, 6, 6, 9, 5, 7, 0};

  class AnsweringDialogs : public FileDialogs {
   public:
    std::optional<QString> OpenFileName(const QString&) override { return name; }
    std::optional<QString> SaveFileName(const QString&, const QString&) override { return name; }
    QString name;
  };

  // The repaint, and the layout that the views put off to a zero-time timer, which the first
  // round of the event loop only starts: without the second round, the next window measured
  // would pay for it.
  static void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }

  // The first report after a reset is dropped, the next one gives the first row and the
  // counter that later reports are measured against.
  void Prime() {
    form_.Core().DecodePacket(ReportNumber(++counter_), kArrival);
    form_.Core().DecodePacket(ReportNumber(++counter_), kArrival);
  }

  static double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  SteppedAnemometer anemometer_;
  SystemClock clock_;
  CountedMessages messages_;
  AnsweringDialogs dialogs_;
  QTemporaryDir dir_;
  TMainForm form_;
  std::uint32_t counter_ = 0;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                   values.end());
  return values[values.size() / 2];
}

void BM_LiveRecordFullAgainst100Rows(benchmark::State& state) {
  constexpr int kSamples = 2000;
  constexpr std::uint32_t kFewRows = 100;
  for (auto _ : state) {
    FedWindow few, full;
    full.Report(static_cast<std::uint32_t>(RecordStore::kLimit));
    few.Report(kFewRows - 1);
    std::vector<double> fewPath, fullPath, fewGrid, fullGrid;
    for (int i = 0; i < kSamples; ++i) {
      // The few-row window stays between 100 and 150 rows.
      if (i % 50 == 0 && i > 0) {
        few.Restart();
        few.Report(kFewRows - 1);
      }
      fewPath.push_back(few.Report(1));
      fullPath.push_back(full.Report(1));
    }
    for (int i = 0; i < kSamples; ++i) {
      if (i % 50 == 0) {
        few.Restart();
        for (std::uint32_t r = 1; r < kFewRows; ++r) few.GridRecord(false);
      }
      fewGrid.push_back(few.GridRecord(false));
      fullGrid.push_back(full.GridRecord(true));
    }
    if (NamedChild<TDataStringGrid>(full.Form(), "DataGrid").RowCount() !=
            static_cast<int>(RecordStore::kLimit) + 1 ||
        NamedChild<TDataStringGrid>(few.Form(), "DataGrid").RowCount() > 200 ||
        few.Messages() + full.Messages() != 2) {
      state.SkipWithError(
          ("the grids are not at their sizes, or a message box came up: " +
           std::to_string(NamedChild<TDataStringGrid>(full.Form(), "DataGrid").RowCount()) + " " +
           std::to_string(NamedChild<TDataStringGrid>(few.Form(), "DataGrid").RowCount()) + " " +
           std::to_string(few.Messages() + full.Messages()))
              .c_str());
    }
    state.counters["path_100_rows_us"] = Median(fewPath) * 1e6;
    state.counters["path_full_us"] = Median(fullPath) * 1e6;
    state.counters["path_full_to_100_ratio"] = Median(fullPath) / Median(fewPath);
    state.counters["grid_100_rows_us"] = Median(fewGrid) * 1e6;
    state.counters["grid_full_us"] = Median(fullGrid) * 1e6;
    state.counters["grid_full_to_100_ratio"] = Median(fullGrid) / Median(fewGrid);
  }
}
BENCHMARK(BM_LiveRecordFullAgainst100Rows)->Iterations(1)->Unit(benchmark::kSecond);

void BM_CatchUpAgainstOpen(benchmark::State& state) {
  constexpr std::uint32_t kMissed = 17000;
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("rows.csv"));
  {
    MeasurementCore core;
    core.Calibration() = DefaultCalibrationTable();
    for (std::uint32_t n = 1; n <= kMissed + 1; ++n) {
      core.DecodePacket(ReportNumber(n), SystemTime{2008, 12, 6, 6, 9, 5, 7, 0});
    }
    if (SaveCsv(std::filesystem::path(file.toStdString()), core.Records()) != FileOutcome::Ok) {
      state.SkipWithError("cannot write the data file");
      return;
    }
  }
  FedWindow catchingUp, opening;
  catchingUp.Report(static_cast<std::uint32_t>(RecordStore::kLimit));
  double catchUp = 0, open = 0;
  for (auto _ : state) {
    catchUp += catchingUp.Report(kMissed);
    open += opening.Open(file);
  }
  if (catchingUp.Form().Core().Records().Size() != RecordStore::kLimit ||
      opening.Form().Core().Records().Size() != kMissed ||
      catchingUp.Messages() + opening.Messages() != 2) {
    state.SkipWithError("a store is not at its size, or a message box came up");
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["catch_up_ms"] = catchUp / runs * 1e3;
  state.counters["open_ms"] = open / runs * 1e3;
  state.counters["catch_up_to_open_ratio"] = catchUp / open;
}
BENCHMARK(BM_CatchUpAgainstOpen)->Iterations(5)->Unit(benchmark::kSecond);

// Baseline: the same reports through the measurement core alone, without the window (the time
// per iteration is the time per record).
void BM_CoreAloneBaseline(benchmark::State& state) {
  MeasurementCore core;
  core.Calibration() = DefaultCalibrationTable();
  const SystemTime arrival{2008, 12, 6, 6, 9, 5, 7, 0};
  std::uint32_t n = 0;
  for (auto _ : state) {
    core.DecodePacket(ReportNumber(++n), arrival);
  }
}
BENCHMARK(BM_CoreAloneBaseline);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ApplyProgramConventions();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
