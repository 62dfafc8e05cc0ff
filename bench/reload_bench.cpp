// One reload of a running host serving the three families at 2x, from the
// request to the views shown: the snapshot file read and decoded off the
// main loop, the trees built, and either the views kept (the file holds
// what is shown) or laid out anew (the file was rewritten). Process CPU
// time, both threads counted; no pictures are painted or written.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "app/run/host_setup.hpp"
#include "data/encode.hpp"
#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "platform/host/widget_host.hpp"
#include "support/file_io.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

struct Counter final : HostListener {
  int answers = 0, kept = 0, replaced = 0;
  void timelineReceived(Date, const HostTimeline&) override { ++answers; }
  void entryUnchanged(Date) override { ++kept; }
  void layoutReplaced(WidgetFamily, const LiveLayout&) override { ++replaced; }
  void layoutChanged(WidgetFamily, const LiveLayout&, Rect) override {}
};

// The sample written `age` seconds ago, with `dms` DMs.
std::string sampleFile(const std::string& path, double at, std::int64_t dms) {
  Snapshot s = Store::makeSample(at);
  s.dms = dms;
  if (auto error = writeFileAtomically(path, toJson(s))) std::abort();
  return path;
}

void reload(benchmark::State& state, bool rewrite) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("reload-bench-" + std::to_string(::getpid()) + ".json")).string();
  const double at = wallClockNow() - 60;
  sampleFile(path, at, 18);
  EnvironmentOptions options;
  HostSettings settings;
  settings.families = TodayWidget{}.body().families;
  settings.environment = testing::pinnedEnvironment(WidgetFamily::systemSmall, at, 2);
  TodayConfiguration config = configurationFor(path, options, settings.clock);
  Counter counter;
  WidgetHost host(widgetSourceFor(config), settings, testing::sharedFonts(), counter);
  host.start();
  auto turnUntilAnswered = [&](int answers) {
    while (counter.answers < answers) g_main_context_iteration(nullptr, TRUE);
  };
  turnUntilAnswered(1);
  std::int64_t dms = 18;
  for (auto _ : state) {
    if (rewrite) {
      state.PauseTiming();
      sampleFile(path, at, ++dms);
      state.ResumeTiming();
    }
    host.requestReload();
    turnUntilAnswered(counter.answers + 1);
  }
  state.counters["kept"] = benchmark::Counter(counter.kept, benchmark::Counter::kAvgIterations);
  std::filesystem::remove(path);
}

void BM_ReloadUnchanged(benchmark::State& state) { reload(state, false); }
void BM_ReloadChanged(benchmark::State& state) { reload(state, true); }

BENCHMARK(BM_ReloadUnchanged)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReloadChanged)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
