#include "timeline/provider.hpp"

#include <gtest/gtest.h>

#include "data/store.hpp"

namespace corvane {
namespace {

// A fake world: a file that may or may not hold a snapshot, a clock that
// advances one second per reading, and a log of what happened in which order.
struct World {
  std::optional<Snapshot> file;
  double clock = 1000;
  std::vector<std::string> log;

  Provider provider() {
    SnapshotSource source{[this] {
                            log.push_back("load");
                            return file;
                          },
                          [this] {
                            log.push_back("sample");
                            return Store::makeSample(1);
                          }};
    return Provider(source, [this] {
      log.push_back("clock");
      return Date{clock++};
    });
  }
};

Snapshot fileSnapshot() {
  Snapshot s = Store::makeSample(500);
  s.dms = 99;
  return s;
}

struct Case {
  const char* name;
  bool hasFile;
  bool preview;
};

const std::vector<Case> kCases = {
    {"no file", false, false},
    {"no file, preview", false, true},
    {"file", true, false},
    {"file, preview", true, true},
};

TEST(Provider, PlaceholderCarriesTheSampleAndNeverReadsTheFile) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    World w;
    if (c.hasFile) w.file = fileSnapshot();
    Entry e = w.provider().placeholder({.isPreview = c.preview});
    EXPECT_EQ(w.log, (std::vector<std::string>{"clock", "sample"}));
    EXPECT_EQ(e.date.sinceEpoch, 1000);
    ASSERT_TRUE(e.data);
    EXPECT_EQ(e.data->dms, 18);
  }
}

TEST(Provider, SnapshotPrefersTheFileAndFallsBackToTheSampleOnlyInPreviews) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    World w;
    if (c.hasFile) w.file = fileSnapshot();
    int calls = 0;
    Entry got;
    w.provider().getSnapshot({.isPreview = c.preview}, [&](Entry e) {
      ++calls;
      got = std::move(e);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(got.date.sinceEpoch, 1000);
    std::vector<std::string> expectedLog = {"load", "clock"};
    if (c.hasFile) {
      ASSERT_TRUE(got.data);
      EXPECT_EQ(got.data->dms, 99);
    } else if (c.preview) {
      expectedLog.push_back("sample");
      ASSERT_TRUE(got.data);
      EXPECT_EQ(got.data->dms, 18);
    } else {
      EXPECT_FALSE(got.data);
    }
    EXPECT_EQ(w.log, expectedLog);
  }
}

TEST(Provider, TimelineHasOneEntryAndReloadsThreeHundredSecondsAfterTheSecondReading) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    World w;
    if (c.hasFile) w.file = fileSnapshot();
    int calls = 0;
    Timeline<Entry> got;
    w.provider().getTimeline({.isPreview = c.preview}, [&](Timeline<Entry> t) {
      ++calls;
      got = std::move(t);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(w.log, (std::vector<std::string>{"clock", "load", "clock"}));
    ASSERT_EQ(got.entries.size(), 1u);
    EXPECT_EQ(got.entries[0].date.sinceEpoch, 1000);
    EXPECT_EQ(got.entries[0].data.has_value(), c.hasFile);  // never the sample
    EXPECT_EQ(got.policy.kind, TimelineReloadPolicy::Kind::after);
    EXPECT_EQ(got.policy.date.sinceEpoch, 1001 + 300);
  }
}

}  // namespace
}  // namespace corvane
