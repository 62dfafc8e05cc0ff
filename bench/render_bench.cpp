// Rendering, step by step, per family at 2x: building the view tree, layout,
// painting and PNG encoding timed separately; and layout against the number
// of accounts in the snapshot (only the first three or four are shown).

#include <benchmark/benchmark.h>

#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

constexpr double kAt = testing::kSampleTime;

FontLibrary& fonts() { return testing::sharedFonts(); }

Environment drawing(WidgetFamily family) { return testing::pinnedEnvironment(family, kAt + 674, 2); }

Snapshot withAccounts(std::int64_t n) {
  Snapshot s = Store::makeSample(kAt);
  const Account model = s.accounts[1];
  s.accounts.clear();
  for (std::int64_t i = 0; i < n; ++i) {
    Account a = model;
    a.u = "account_" + std::to_string(i);
    s.accounts.push_back(a);
  }
  return s;
}

WidgetFamily familyArg(const benchmark::State& state) { return static_cast<WidgetFamily>(state.range(0)); }

void BM_FontLibrary(benchmark::State& state) {
  for (auto _ : state) {
    FontLibrary library;
    benchmark::DoNotOptimize(library.context());
  }
}

void BM_ViewTree(benchmark::State& state) {
  Environment env = drawing(familyArg(state));
  Entry entry{Date{kAt}, withAccounts(state.range(1))};
  for (auto _ : state) benchmark::DoNotOptimize(compose(WidgetView{entry}, env));
}

// Layout with a fresh measurer each time: what one render pays.
void BM_Layout(benchmark::State& state) {
  WidgetFamily family = familyArg(state);
  Environment env = drawing(family);
  Node tree = compose(WidgetView{Entry{Date{kAt}, withAccounts(state.range(1))}}, env);
  for (auto _ : state) {
    PangoTextMeasurer text(fonts());
    benchmark::DoNotOptimize(layOut(tree, env, canvasFor(family), text));
  }
}

void BM_Paint(benchmark::State& state) {
  WidgetFamily family = familyArg(state);
  Environment env = drawing(family);
  Node tree = compose(WidgetView{Entry{Date{kAt}, Store::makeSample(kAt)}}, env);
  PangoTextMeasurer text(fonts());
  BoxTree boxes = layOut(tree, env, canvasFor(family), text);
  for (auto _ : state) benchmark::DoNotOptimize(paintImage(boxes, canvasFor(family), 2, fonts()));
}

void BM_EncodePng(benchmark::State& state) {
  WidgetFamily family = familyArg(state);
  Environment env = drawing(family);
  Node tree = compose(WidgetView{Entry{Date{kAt}, Store::makeSample(kAt)}}, env);
  PangoTextMeasurer text(fonts());
  CairoSurfacePtr image = paintImage(layOut(tree, env, canvasFor(family), text), canvasFor(family), 2, fonts());
  for (auto _ : state) benchmark::DoNotOptimize(encodePng(image.get()));
}

void families(benchmark::internal::Benchmark* b) {
  for (int f : {0, 1, 2}) b->Arg(f);
}

void familiesAndAccounts(benchmark::internal::Benchmark* b) {
  for (int f : {0, 1, 2})
    for (int n : {6, 1000, 100000}) b->Args({f, n});
}

BENCHMARK(BM_FontLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewTree)->Apply(familiesAndAccounts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Layout)->Apply(familiesAndAccounts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint)->Apply(families)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodePng)->Apply(families)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
