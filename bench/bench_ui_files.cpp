// The main window's file commands on a full store of 17,280 rows, with the window shown on the
// offscreen platform and the dialogs answered at once: Save, Open (reading, the store and the
// data grid) and the PDF report.
//
// The baseline of the same run is merely reading the file's lines with fgets into the reader's
// 150-byte buffer and splitting them into their items. BM_OpenAgainstBaseline times Open, its
// reading into the store alone, and the baseline in turn and reports their ratios. Open of
// 250,000- and 1,000,000-line live logs (the store keeping the newest 17,280 rows and the grid
// losing its bottom row for each further one) shows whether the time per line stays constant.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/measurement_core.h"
#include "core/record_store.h"
#include "device/hid_transport.h"
#include "device/system_clock.h"
#include "files/c_file.h"
#include "files/csv_format.h"
#include "files/data_file_reader.h"
#include "tests/support/named_child.h"
#include "ui/desktop/file_dialogs.h"
#include "ui/desktop/message_boxes.h"
#include "ui/main_window/main_form.h"
#include "ui/startup/program.h"
#include "ui/widgets/data_string_grid.h"

namespace {

constexpr std::size_t kFullStore = RecordStore::kLimit;

class NoAnemometer : public HidTransport {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override { return {}; }
  HidIdentity Identify(const std::string&) override { return {}; }
  std::unique_ptr<HidConnection> Open(const std::string&) override { return nullptr; }
};

class CountedMessages : public MessageBoxes {
 public:
  void Show(const QString&, const QString&, MessageIcon) override { ++shown; }
  int shown = 0;
};

// Every dialog is confirmed at once with the name set last.
class AnsweringDialogs : public FileDialogs {
 public:
  std::optional<QString> OpenFileName(const QString&) override { return name; }
  std::optional<QString> SaveFileName(const QString&, const QString&) override { return name; }
  QString name;
};

MeasurementRecord Row(std::size_t index) {
  const double t = static_cast<double>(index) / 50.0;
  MeasurementRecord r;
  r.Time = {2009,
            3,
            0,
            static_cast<std::uint16_t>(1 + index / 86400 % 28),
            static_cast<std::uint16_t>(index / 3600 % 24),
            static_cast<std::uint16_t>(index / 60 % 60),
            static_cast<std::uint16_t>(index % 60),
            0};
  r.AvgSpeed = static_cast<float>(12.0 + 10.0 * std::sin(t));
  r.GustSpeed = r.AvgSpeed * 1.4f;
  r.Temperature = static_cast<float>(5.0 + 20.0 * std::sin(t / 7.0));
  r.WindChillAvg = r.Temperature - 3.5f;
  r.WindChillGust = r.Temperature - 6.25f;
  r.BeaufortAvg = std::floor(r.AvgSpeed / 3.0f);
  r.BeaufortGust = std::floor(r.GustSpeed / 3.0f);
  r.Sector = static_cast<std::int32_t>(index % 16);
  return r;
}

// A live log of the given number of rows, written once per run into the run's directory.
class Files {
 public:
  QString Dir() const { return dir_.path(); }
  QString File(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

  const QString& Log(std::size_t rows) {
    QString& name = logs_[rows];
    if (name.isEmpty()) {
      name = File(("log-" + std::to_string(rows) + ".csv").c_str());
      CFile out = OpenCFile(QFile::encodeName(name).toStdString(), "wb");
      std::string text = CsvHeaderLine();
      for (std::size_t i = 0; i < rows; ++i) {
        AppendCsvRowLine(text, Row(i));
        if (text.size() > (1u << 20) || i + 1 == rows) {
          std::fwrite(text.data(), 1, text.size(), out.get());
          text.clear();
        }
      }
    }
    return name;
  }

 private:
  QTemporaryDir dir_;
  std::map<std::size_t, QString> logs_;
};

Files& RunFiles() {
  static Files files;
  return files;
}

// The main window as the user has it: shown, stopped, with no message box expected after the
// start-up notice about the missing calibration table.
class Window {
 public:
  Window()
      : form_(MainFormServices{anemometer_, clock_, ProgramFiles(RunFiles().Dir().toStdString()),
                               &messages_, &dialogs_}) {
    form_.show();
    QCoreApplication::processEvents();
    messages_.shown = 0;
  }

  // One command with the dialog answered by name; false when it showed a message box.
  template <typename Command>
  bool Run(Command command, const QString& name) {
    dialogs_.name = name;
    (form_.*command)(nullptr);
    QCoreApplication::processEvents();  // the grid's repaint belongs to the command
    return messages_.shown == 0;
  }

  TMainForm& Form() { return form_; }

 private:
  NoAnemometer anemometer_;
  SystemClock clock_;
  CountedMessages messages_;
  AnsweringDialogs dialogs_;
  TMainForm form_;
};

// The baseline: fgets into the reader's 150-byte buffer, each line split into its blank- or
// comma-separated items, no number converted.
std::size_t ReadAndSplitLines(const QString& file) {
  CFile in = OpenCFile(QFile::encodeName(file).toStdString(), "rb");
  char buffer[150];
  std::size_t items = 0;
  while (std::fgets(buffer, sizeof buffer, in.get()) != nullptr) {
    bool inItem = false;
    for (const char* c = buffer; *c != '\0'; ++c) {
      const bool separator = *c == ' ' || *c == ',' || *c == '\r' || *c == '\n' || *c == '\t';
      if (!separator && !inItem) ++items;
      inItem = !separator;
    }
  }
  return items;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool FullGrid(TMainForm& form) {
  return form.Core().Records().Size() == kFullStore &&
         NamedChild<TDataStringGrid>(form, "DataGrid").RowCount() ==
             static_cast<int>(kFullStore) + 1;
}

void BM_ReadAndSplitLines(benchmark::State& state) {
  const QString& log = RunFiles().Log(kFullStore);
  for (auto _ : state) benchmark::DoNotOptimize(ReadAndSplitLines(log));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kFullStore));
}
BENCHMARK(BM_ReadAndSplitLines)->Unit(benchmark::kMillisecond);

void BM_OpenClick(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  const QString& log = RunFiles().Log(rows);
  Window window;
  for (auto _ : state) {
    if (!window.Run(&TMainForm::OpenClick, log) || !FullGrid(window.Form())) {
      state.SkipWithError("open failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenClick)->Arg(kFullStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenClick)->Arg(250000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenClick)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Open's part without the window: the file read into a store as Open adds its rows.
bool ReadIntoStore(MeasurementCore& core, const QString& file) {
  core.Records().Clear();
  const ReadOutcome outcome =
      ReadDataFile(QFile::encodeName(file).toStdString(), [&core](const MeasurementRecord& r) {
        core.AddRecord(r.Sector, false, r.Time, r.AvgSpeed, r.GustSpeed, r.Temperature,
                       r.WindChillAvg, r.WindChillGust, r.BeaufortAvg, r.BeaufortGust);
      });
  return outcome == ReadOutcome::Ok && core.Records().Size() == kFullStore;
}

// Open, its part without the grid and the baseline in turn on the same file, so that all three
// see the same machine load.
void BM_OpenAgainstBaseline(benchmark::State& state) {
  const QString& log = RunFiles().Log(kFullStore);
  Window window;
  MeasurementCore core;
  double open = 0.0;
  double storeOnly = 0.0;
  double baseline = 0.0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ReadAndSplitLines(log));
    baseline += Seconds(start);
    start = std::chrono::steady_clock::now();
    if (!ReadIntoStore(core, log)) state.SkipWithError("reading failed");
    storeOnly += Seconds(start);
    start = std::chrono::steady_clock::now();
    if (!window.Run(&TMainForm::OpenClick, log) || !FullGrid(window.Form())) {
      state.SkipWithError("open failed");
    }
    open += Seconds(start);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["baseline_ms"] = baseline / n * 1e3;
  state.counters["store_only_ms"] = storeOnly / n * 1e3;
  state.counters["open_ms"] = open / n * 1e3;
  state.counters["store_only_to_baseline"] = storeOnly / baseline;
  state.counters["open_to_baseline"] = open / baseline;
}
BENCHMARK(BM_OpenAgainstBaseline)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_SaveClick(benchmark::State& state) {
  Window window;
  if (!window.Run(&TMainForm::OpenClick, RunFiles().Log(kFullStore))) {
    state.SkipWithError("open failed");
  }
  const QString file = RunFiles().File("saved.csv");
  for (auto _ : state) {
    if (!window.Run(&TMainForm::SaveClick, file)) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kFullStore));
}
BENCHMARK(BM_SaveClick)->Unit(benchmark::kMillisecond);

void BM_SaveAsPDFClick(benchmark::State& state) {
  Window window;
  if (!window.Run(&TMainForm::OpenClick, RunFiles().Log(kFullStore))) {
    state.SkipWithError("open failed");
  }
  const QString file = RunFiles().File("report.pdf");
  for (auto _ : state) {
    if (!window.Run(&TMainForm::SaveAsPDFClick, file)) state.SkipWithError("pdf failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kFullStore));
}
BENCHMARK(BM_SaveAsPDFClick)->Unit(benchmark::kMillisecond);

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
