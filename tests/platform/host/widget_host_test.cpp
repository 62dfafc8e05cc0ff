// The running host on a real main loop with a made-up widget: timelines
// asked for off the loop, entries that draw what is shown keeping their
// views, and faults in its callbacks contained. Its clock runs fast so
// that minutes of host time pass in milliseconds.

#include "platform/host/widget_host.hpp"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <vector>

#include "kit/pinned.hpp"
#include "support/fault.hpp"

// Threads can be made to fail to start, as at a user's task limit: this
// definition stands before the C library's for the whole test program.
// ThreadSanitizer must see every thread start through its own, so its build
// leaves the stand-in out (the other builds test the failure).
std::atomic<bool> gNoThreads{false};
#if defined(__SANITIZE_THREAD__)
constexpr bool kThreadsCanFail = false;
#else
constexpr bool kThreadsCanFail = true;
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) {
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const auto real = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
  if (gNoThreads) return EAGAIN;
  return real(thread, attr, start, arg);
}
#endif

namespace corvane {
namespace {

constexpr double kStart = testing::kSampleTime;

// What the widget's entries hold: a title, and when the data was written.
struct Content {
  std::string title;
  double at = kStart;
};

// A view like the widget's header: the title, then the age of the data, or
// a warning once it is older than 15 minutes (decided when it is built).
Node viewOf(const Content& c, const Environment& env) {
  const bool stale = env.now().timeIntervalSince(Date{c.at}) > 900;
  return HStack(VerticalAlignment::center, 5,
                {Text::verbatim(c.title), Spacer(4),
                 stale ? Conditional(Branch::first, Text::verbatim("not updated"))
                       : Conditional(Branch::second, Text::relative(Date{c.at}))});
}

HostEntry entryOf(Content c, Date date) {
  return {date, [c](const Environment& env) { return viewOf(c, env); }};
}

struct Recorder final : HostListener {
  std::vector<std::string> events;
  std::function<void()> onReplace;
  void timelineReceived(Date, const HostTimeline&) override { events.push_back("timeline"); }
  void entryUnchanged(Date) override { events.push_back("unchanged"); }
  void layoutReplaced(WidgetFamily, const LiveLayout&) override {
    events.push_back("replaced");
    if (onReplace) onReplace();
  }
  void layoutChanged(WidgetFamily, const LiveLayout& layout, Rect) override {
    readings.push_back(layout.readAt());
    ++changed;
  }
  // Uses a change no sooner than `useEvery` host seconds after the last one.
  Date nextUse(WidgetFamily, Date change) const override {
    return readings.empty() ? change : std::max(change, readings.back().addingTimeInterval(useEvery));
  }
  std::atomic<int> changed{0};
  std::vector<Date> readings;  // when each change was read
  double useEvery = 0;
  int count(const std::string& e) const { return int(std::count(events.begin(), events.end(), e)); }
};

// Turns the default main loop until `done` holds (at most 10 s of wall time).
bool turnUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    g_main_context_iteration(nullptr, FALSE);
    ::usleep(200);
  }
  return true;
}

// A host of the small family whose provider answers with `timeline(call)`,
// reloading every `reload` host seconds; its clock runs `speed` times fast.
struct Fixture {
  Recorder listener;
  std::atomic<int> calls{0};
  std::function<HostTimeline(int call, Date now)> timeline;
  double speed = 1000;
  // Added to the wall clock: the clock set back or forward.
  std::shared_ptr<std::atomic<double>> wallStep = std::make_shared<std::atomic<double>>(0);
  std::unique_ptr<WidgetHost> host;

  void start() {
    HostSettings settings;
    settings.families = {WidgetFamily::systemSmall};
    settings.environment = testing::pinnedEnvironment(WidgetFamily::systemSmall);
    settings.clock = HostClock(Date{kStart}, speed, [step = wallStep] { return wallClockNow() + *step; });
    WidgetSource source;
    source.placeholder = [](const TimelineProviderContext&) { return entryOf({"placeholder"}, Date{kStart}); };
    source.snapshot = source.placeholder;
    source.withoutData = [](Date date) { return entryOf({"no data"}, date); };
    const HostClock clock = settings.clock;
    source.timeline = [this, clock](const TimelineProviderContext&) { return timeline(++calls, clock.now()); };
    host = std::make_unique<WidgetHost>(source, settings, testing::sharedFonts(), listener);
    host->start();
  }
};

HostTimeline oneEntry(Content c, Date now, double reloadAfter) {
  return {{entryOf(std::move(c), now)}, TimelineReloadPolicy::after(now.addingTimeInterval(reloadAfter))};
}

TEST(WidgetHost, AsksForTimelinesOffTheMainLoop) {
  Fixture f;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  f.timeline = [released](int, Date now) {
    released.wait();  // a file being read slowly
    return oneEntry({"from the file"}, now, 300);
  };
  f.start();
  int probes = 0;
  guint probe = g_timeout_add(
      5,
      +[](gpointer p) -> gboolean {
        ++*static_cast<int*>(p);
        return G_SOURCE_CONTINUE;
      },
      &probes);
  ASSERT_TRUE(turnUntil([&] { return probes >= 20; })) << "the loop stood still while the provider read";
  EXPECT_TRUE(f.host->requesting());
  EXPECT_EQ(f.listener.events, std::vector<std::string>{"replaced"});  // the placeholder alone
  release.set_value();
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("replaced") == 2; }));
  EXPECT_EQ(f.listener.events, (std::vector<std::string>{"replaced", "timeline", "replaced"}));
  g_source_remove(probe);
}

// A reload whose entry draws what is shown keeps the view, its layout and
// its pixels; anything that draws differently replaces it, also a choice
// the view makes when it is built (fresh or stale) on unchanged data.
TEST(WidgetHost, AnEntryThatDrawsWhatIsShownKeepsTheView) {
  struct Case {
    const char* name;
    Content second;
    double secondAfter;  // host seconds after the first answer
    const char* outcome;
  };
  const std::vector<Case> cases = {
      {"the same data", {"today"}, 300, "unchanged"},
      {"another title", {"tomorrow"}, 300, "replaced"},
      {"written at another time", {"today", kStart + 1}, 300, "replaced"},
      {"the same data, grown older than 15 minutes", {"today"}, 1000, "replaced"},
  };
  for (const Case& c : cases) {
    Fixture f;
    // Slow enough that a loaded machine (a sanitizer's build) cannot let the
    // first entry's fresh line grow stale before the second comes.
    f.speed = 200;
    f.timeline = [&c](int call, Date now) {
      return call == 1 ? oneEntry({"today"}, now, c.secondAfter) : oneEntry(c.second, now, 3600);
    };
    f.start();
    ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 1; })) << c.name;
    const LiveLayout* first = f.host->layout(WidgetFamily::systemSmall);
    ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 2; })) << c.name;
    EXPECT_EQ(f.listener.events.back(), c.outcome) << c.name;
    EXPECT_EQ(f.host->layout(WidgetFamily::systemSmall) == first, std::string(c.outcome) == "unchanged") << c.name;
  }
}

// A provider that throws, and a listener that throws while drawing: each
// is said once, what was shown stays, and the host goes on.
TEST(WidgetHost, FaultsInItsCallbacksAreContainedAndSaidOnce) {
  std::vector<std::string> said;
  setFaultSink([&](std::string_view where, std::string_view what) {
    said.push_back(std::string(where) + ": " + std::string(what));
  });
  Fixture f;
  f.timeline = [](int call, Date now) -> HostTimeline {
    if (call <= 2) throw std::runtime_error("the provider broke its promise");
    return oneEntry({"at last"}, now, 300);
  };
  bool throwOnDraw = false;
  f.listener.onReplace = [&] {
    if (throwOnDraw) throw std::runtime_error("cannot paint");
  };
  f.start();
  // Asked again a minute of host time after each failure, then answered.
  throwOnDraw = true;
  ASSERT_TRUE(turnUntil([&] { return f.calls >= 3 && f.listener.count("timeline") >= 1; }));
  EXPECT_EQ(said, (std::vector<std::string>{"a timeline request: the provider broke its promise",
                                            "drawing a new entry: cannot paint"}));
  // The last entry's view was built, though its drawing failed.
  EXPECT_EQ(f.host->layout(WidgetFamily::systemSmall)->boxes().root.children.front().text, "at last");
  setFaultSink(nullptr);
}

// The placeholder is drawn redacted; when the provider fails with nothing
// else to show, no data replaces it, never its made-up numbers.
TEST(WidgetHost, APlaceholderIsRedactedAndAFailureReplacesItWithNoData) {
  setFaultSink([](std::string_view, std::string_view) {});
  Fixture f;
  f.timeline = [](int call, Date now) -> HostTimeline {
    if (call == 1) throw std::runtime_error("no answer");
    return oneEntry({"at last"}, now, 300);
  };
  f.start();
  ASSERT_TRUE(f.host->layout(WidgetFamily::systemSmall)->environment().redacted);
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("replaced") == 2; }));
  EXPECT_FALSE(f.host->layout(WidgetFamily::systemSmall)->environment().redacted);
  EXPECT_EQ(f.listener.count("timeline"), 0);
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 1; }));
  EXPECT_FALSE(f.host->layout(WidgetFamily::systemSmall)->environment().redacted);
  setFaultSink(nullptr);
}

// A request whose thread cannot start fails like any other: what is shown
// stays, a reload says that the host cannot act on it, and the request is
// made again once threads start.
TEST(WidgetHost, ARequestWhoseThreadCannotStartIsAskedAgain) {
  if (!kThreadsCanFail) GTEST_SKIP() << "ThreadSanitizer starts every thread itself";
  Fixture f;
  f.timeline = [](int call, Date now) { return oneEntry({"call " + std::to_string(call)}, now, 300); };
  f.start();
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 1; }));
  EXPECT_EQ(f.host->requestReload(), std::nullopt);
  gNoThreads = true;
  std::optional<std::string> refused;
  ASSERT_TRUE(turnUntil([&] { return (refused = f.host->requestReload()).has_value(); }));
  EXPECT_NE(refused->find("could not start a timeline request"), std::string::npos) << *refused;
  EXPECT_FALSE(f.host->requesting());
  gNoThreads = false;
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 2; }));
  EXPECT_TRUE(turnUntil([&] { return !f.host->requestReload(); })) << "reloads are not acted on again";
}

// The clock set back (an NTP correction, a dual boot), to a time still after
// the last request, does not stop the relative line from ticking until the
// clock is back where it was.
TEST(WidgetHost, AClockSetBackKeepsTheLineTicking) {
  Fixture f;
  f.speed = 1;
  f.timeline = [](int, Date now) { return oneEntry({"today", kStart - 30}, now, 86400); };
  f.start();
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 1; }));
  *f.wallStep = 7200;  // forward two hours: the line reads "2 hr" and turns over by the minute
  f.host->recheck();   // as the kernel tells the host's timer when the real clock is set
  ASSERT_TRUE(turnUntil([&] { return f.listener.changed >= 1; }));
  const int ticks = f.listener.changed;
  *f.wallStep = 3600;  // back one hour
  f.host->recheck();
  ASSERT_TRUE(turnUntil([&] { return f.listener.changed > ticks; }))
      << "no tick within 10 s of the clock going back an hour";
  EXPECT_EQ(f.listener.count("timeline"), 1);
}

// The host reads a ticking line only as often as its listener uses it: an
// output that writes a picture a minute is woken once a minute, not each
// second.
TEST(WidgetHost, ReadsTickingTextsOnlyAsOftenAsTheyAreUsed) {
  for (const double every : {0.0, 60.0}) {
    Fixture f;
    f.listener.useEvery = every;
    f.timeline = [](int, Date now) { return oneEntry({"today", kStart - 30}, now, 86400); };
    f.start();
    ASSERT_TRUE(turnUntil([&] { return f.listener.changed >= 6; })) << every;
    const std::vector<Date> readings = f.listener.readings;
    // The line changes each second: at most one change a minute is read.
    for (std::size_t i = 1; i < readings.size() && every > 0; ++i)
      EXPECT_GE(readings[i].timeIntervalSince(readings[i - 1]), every - 1e-6) << "at " << i;
    // Used at once, the changes come about a second apart (this clock runs
    // a thousand times fast: a millisecond late is a second).
    const double mean = readings.back().timeIntervalSince(readings.front()) / double(readings.size() - 1);
    if (every == 0) {
      EXPECT_LT(mean, 5) << "changes went unread";
    }
  }
}

// A host that ends (SIGTERM) while its provider is stuck reading (a stalled
// network share) does not wait for the read.
TEST(WidgetHost, EndsPromptlyWhileARequestIsStuck) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> done{false};
  Fixture f;  // outlives the read: the test's provider refers to it
  f.timeline = [released, &done](int, Date now) {
    released.wait();
    done = true;
    return oneEntry({"late"}, now, 300);
  };
  f.start();
  ASSERT_TRUE(turnUntil([&] { return f.host->requesting(); }));
  const auto began = std::chrono::steady_clock::now();
  f.host.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(1));
  // The read ends later by itself; its answer finds no host.
  release.set_value();
  ASSERT_TRUE(turnUntil([&] { return done.load(); }));
  for (int i = 0; i < 50; ++i) {
    g_main_context_iteration(nullptr, FALSE);
    ::usleep(1000);
  }
}

// A new time zone (the system's, followed) builds every view again in it.
TEST(WidgetHost, ANewTimeZoneBuildsTheViewsAgainInIt) {
  Fixture f;
  f.timeline = [](int, Date now) { return oneEntry({"today"}, now, 86400); };
  f.start();
  ASSERT_TRUE(turnUntil([&] { return f.listener.count("timeline") == 1; }));
  const int replaced = f.listener.count("replaced");
  f.host->setTimeZone("Asia/Tokyo");
  EXPECT_EQ(f.listener.count("replaced"), replaced + 1);
  EXPECT_EQ(f.host->layout(WidgetFamily::systemSmall)->environment().timeZone, "Asia/Tokyo");
  f.host->setTimeZone("Asia/Tokyo");  // the same zone again: nothing to do
  EXPECT_EQ(f.listener.count("replaced"), replaced + 1);
}

}  // namespace
}  // namespace corvane
