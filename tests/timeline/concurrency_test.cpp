// The host may ask for entries and draw them on threads of its choosing. Run
// every step at once on several threads (built with ThreadSanitizer in the
// tsan preset, where a data race fails the test) and check that each thread
// draws the same pixels as the others.
//
// What is shared and what is not:
// - shared freely: a Provider (const; its clock and source are called
//   concurrently), Snapshot and Entry values (their accounts are shared
//   copy-on-write with atomic counts), view trees (Node), the sample and the
//   palette (each built once under a once-only guard), an Environment;
// - one per thread: FontLibrary (its Pango context and font map are not
//   thread-safe, and it loads fallback fonts on first need) and the
//   PangoTextMeasurer built on it (a cache without a lock), and each BoxTree
//   (layout writes into it). ICU formatters and the decoder's parser are
//   thread_local already.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "data/encode.hpp"
#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "kit/temp_dir.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

constexpr std::array kFamilies = {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge};

// The PNG of every family for one entry, drawn with this thread's fonts.
std::vector<std::string> drawAll(const Entry& entry, const FontLibrary& fonts) {
  PangoTextMeasurer text(fonts);
  std::vector<std::string> images;
  for (WidgetFamily family : kFamilies) {
    Environment env = testing::pinnedEnvironment(family, testing::kSampleTime + 674);
    Node tree = compose(TodayContent{}(entry), env);
    BoxTree boxes = layOut(tree, env, canvasFor(family), text);
    images.push_back(encodePng(paintImage(boxes, canvasFor(family), 1, fonts).get()));
  }
  return images;
}

TEST(Concurrency, ProviderViewsLayoutAndPaintingRunOnManyThreadsAtOnce) {
  testing::TempDir dir;
  // Text beyond the bundled fonts makes every thread load fallback fonts.
  Snapshot d = Store::makeSample(testing::kSampleTime);
  d.accounts.push_back({"\u6771\u4EAC_\u0627\u0644\u0639\u0631\u0628\u064A\u0629",
                        "run",
                        3,
                        9,
                        "\U0001F680 \u05E9\u05DC\u05D5\u05DD",
                        {}});
  const std::string path = dir.write("widget.json", toJson(d));
  const Provider provider(SnapshotSource{[path] { return Store::loadFrom(path); }, &Store::sample},
                          fixedClock(Date{testing::kSampleTime + 674}));

  constexpr int kThreads = 4, kRounds = 3;
  std::vector<std::vector<std::string>> drawn(kThreads);
  std::vector<std::string> samples(kThreads);
  std::atomic<int> waiting{kThreads};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      --waiting;
      while (waiting > 0) std::this_thread::yield();  // start together: first uses overlap
      FontLibrary fonts;
      samples[t] = toJson(provider.placeholder({}).data.value());
      for (int round = 0; round < kRounds; ++round) {
        std::optional<Entry> entry;
        provider.getTimeline({}, [&](Timeline<Entry> timeline) { entry = timeline.entries.at(0); });
        ASSERT_TRUE(entry && entry->data);
        drawn[t] = drawAll(*entry, fonts);
      }
    });
  for (auto& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(samples[t], samples[0]);
    ASSERT_EQ(drawn[t].size(), kFamilies.size());
    for (std::size_t f = 0; f < kFamilies.size(); ++f) {
      EXPECT_GT(drawn[t][f].size(), 1000u);
      EXPECT_EQ(drawn[t][f], drawn[0][f]) << "family " << f;
    }
  }
}

// One laid-out tree painted by several threads, each with its own fonts:
// painting only reads the boxes.
TEST(Concurrency, ALaidOutTreeIsPaintedFromManyThreads) {
  const FontLibrary& mine = testing::sharedFonts();
  PangoTextMeasurer text(mine);
  Environment env = testing::pinnedEnvironment(WidgetFamily::systemLarge, testing::kSampleTime + 674);
  Node tree = compose(TodayContent{}(Entry{Date{testing::kSampleTime}, Store::makeSample(testing::kSampleTime)}), env);
  const BoxTree boxes = layOut(tree, env, canvasFor(WidgetFamily::systemLarge), text);
  const std::string expected = encodePng(paintImage(boxes, canvasFor(WidgetFamily::systemLarge), 1, mine).get());

  std::vector<std::string> painted(4);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < painted.size(); ++t)
    threads.emplace_back([&, t] {
      FontLibrary fonts;
      painted[t] = encodePng(paintImage(boxes, canvasFor(WidgetFamily::systemLarge), 1, fonts).get());
    });
  for (auto& t : threads) t.join();
  for (const std::string& png : painted) EXPECT_EQ(png, expected);
}

}  // namespace
}  // namespace corvane
