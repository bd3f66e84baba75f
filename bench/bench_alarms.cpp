// Cost of adding one alarm event to a short list, to a long one, and to a full list of
// 100,000 events where every new event also drops the oldest. All should take the same time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <memory>

#include "alarms/alarm_event_model.h"
#include "alarms/alarm_limits.h"
#include "alarms/alarms_form.h"
#include "alarms/sound_player.h"
#include "core/clock.h"

namespace {

class StillClock : public Clock {
 public:
  SystemTime LocalTime() override { return {2026, 12, 1, 7, 8, 30, 15, 0}; }
};

class SilentPlayer : public SoundPlayer {
 public:
  void PlayAsync(const QString& /*wavFile*/) override {}
};

const QString& TypeText() {
  static const QString text = QStringLiteral("Rychlost větru horní mez");
  return text;
}

// Each iteration adds one event to a window that starts with `rows` events, so a short list
// stays short over the run and a full one stays full. With `visible`, the open window also
// repaints after every event, as it does while the user watches.
void AddAlarmEvent(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const bool visible = state.range(1) != 0;
  StillClock clock;
  SilentPlayer sound;
  AlarmLimits limits;
  TAlarmsForm form(clock, sound, ProgramFiles("/tmp"), limits);
  for (int i = 0; i < rows; ++i) {
    form.AddAlarmEvent(TypeText(), i, 12.5F);
  }
  if (visible) {
    form.show();
    QCoreApplication::processEvents();
  }
  int limit = 0;
  for (auto _ : state) {
    form.AddAlarmEvent(TypeText(), ++limit, 12.5F);
    if (visible) {
      QCoreApplication::processEvents();
    }
  }
  state.counters["rows_at_end"] = form.Events().rowCount();
}

constexpr int kFull = AlarmEventModel::kDefaultCapacity;

BENCHMARK(AddAlarmEvent)
    ->ArgNames({"rows", "visible"})
    ->Args({10, 0})
    ->Args({kFull - 20000, 0})
    ->Args({kFull, 0})
    ->Iterations(10000)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(AddAlarmEvent)
    ->ArgNames({"rows", "visible"})
    ->Args({10, 1})
    ->Args({kFull, 1})
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
