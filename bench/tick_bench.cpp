// One tick of a running host, per family at 2x: the relative text read
// again, the tree laid out again, and the damaged region repainted into the
// kept picture (no file encoding). Against it, a full layout and paint.

#include <benchmark/benchmark.h>

#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "platform/ui/paint/live_layout.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

constexpr double kAt = testing::kSampleTime;

WidgetFamily familyArg(const benchmark::State& state) { return static_cast<WidgetFamily>(state.range(0)); }

void BM_Tick(benchmark::State& state) {
  const WidgetFamily family = familyArg(state);
  double now = kAt + 5;
  Environment env = testing::pinnedEnvironment(family, now, 2);
  env.clock = [&now] { return Date{now}; };
  PangoTextMeasurer text(testing::sharedFonts());
  LiveLayout layout(compose(TodayContent{}(Entry{Date{now}, Store::makeSample(kAt)}), env), env, canvasFor(family),
                    text);
  CairoSurfacePtr picture = paintImage(layout.boxes(), layout.canvas(), 2, testing::sharedFonts());
  CairoPtr cr(cairo_create(picture.get()));
  cairo_scale(cr.get(), 2, 2);
  for (auto _ : state) {
    // Every tick shows a new text: "6 sec", "7 sec", ... Within the first
    // hour, where the text changes each second, however many iterations run.
    now = now + 1 < kAt + 3600 ? now + 1 : kAt + 5;
    if (auto damage = layout.update()) layout.repaint(cr.get(), *damage, testing::sharedFonts());
    cairo_surface_flush(picture.get());
  }
}

// What a tick would cost without the live layout: the tree built, laid out
// and painted whole.
void BM_FullRedraw(benchmark::State& state) {
  const WidgetFamily family = familyArg(state);
  double now = kAt + 5;
  PangoTextMeasurer text(testing::sharedFonts());
  for (auto _ : state) {
    now += 1;
    Environment env = testing::pinnedEnvironment(family, now, 2);
    BoxTree tree =
        layOut(compose(TodayContent{}(Entry{Date{now}, Store::makeSample(kAt)}), env), env, canvasFor(family), text);
    benchmark::DoNotOptimize(paintImage(tree, canvasFor(family), 2, testing::sharedFonts()));
  }
}

BENCHMARK(BM_Tick)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRedraw)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
