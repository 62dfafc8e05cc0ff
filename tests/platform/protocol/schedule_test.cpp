// The host's schedule driven by made-up clock readings: what it asks for,
// when, and which entry it shows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/protocol/host_clock.hpp"
#include "platform/protocol/schedule.hpp"

namespace corvane {
namespace {

using Step = TimelineSchedule::Step;
using Policy = TimelineReloadPolicy;

Date at(double s) { return Date{s}; }

// Plays a scenario on a schedule whose provider answers each request with
// `answer(now)`, reading the clock every `step` seconds from `from` to `to`,
// and records what happened as "t:request" and "t:show i".
struct Provider {
  std::vector<double> offsets;  // entry dates relative to the request
  std::function<Policy(double now)> policy;
};

std::vector<std::string> play(const Provider& provider, double from, double to, double step = 1,
                              std::vector<double> outsideRequests = {}) {
  TimelineSchedule s;
  std::vector<std::string> log;
  std::function<void(double, std::vector<TimelineSchedule::Action>)> perform =
      [&](double now, std::vector<TimelineSchedule::Action> actions) {
        for (const auto& a : actions) {
          if (a.step == Step::requestTimeline) {
            log.push_back(std::to_string(int(now)) + ":request");
            std::vector<Date> dates;
            for (double o : provider.offsets) dates.push_back(at(now + o));
            perform(now, s.received(at(now), dates, provider.policy(now)));
          } else if (a.step == Step::showEntry) {
            log.push_back(std::to_string(int(now)) + ":show " + std::to_string(a.entry));
          } else {
            log.push_back(std::to_string(int(now)) + ":placeholder");
          }
        }
      };
  perform(from, s.start(at(from)));
  for (double t = from + step; t <= to; t += step) {
    for (double r : outsideRequests)
      if (r > t - step && r <= t) perform(t, s.reloadRequested(at(t)));
    perform(t, s.advance(at(t)));
  }
  return log;
}

TEST(TimelineSchedule, RequestsFollowThePolicy) {
  struct Case {
    std::string name;
    Provider provider;
    double to;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"after: no earlier than the date",
       {{0}, [](double now) { return Policy::after(at(now + 300)); }},
       700,
       {"0:placeholder", "0:request", "0:show 0", "300:request", "300:show 0", "600:request", "600:show 0"}},
      {"after a date already past: at once, but never within 5 seconds",
       {{0}, [](double now) { return Policy::after(at(now - 100)); }},
       12,
       {"0:placeholder", "0:request", "0:show 0", "5:request", "5:show 0", "10:request", "10:show 0"}},
      {"atEnd: after the last entry's date, entries switched at their dates",
       {{0, 60, 120}, [](double) { return Policy::atEnd(); }},
       170,
       {"0:placeholder", "0:request", "0:show 0", "60:show 1", "120:show 2", "120:request", "120:show 0"}},
      {"atEnd with one entry now: held back by the minimum gap",
       {{0}, [](double) { return Policy::atEnd(); }},
       11,
       {"0:placeholder", "0:request", "0:show 0", "5:request", "5:show 0", "10:request", "10:show 0"}},
      {"never: one request, entries still switched",
       {{0, 30}, [](double) { return Policy::never(); }},
       1000,
       {"0:placeholder", "0:request", "0:show 0", "30:show 1"}},
      {"entries all in the future: nothing shown until the first date",
       {{20, 40}, [](double) { return Policy::never(); }},
       50,
       {"0:placeholder", "0:request", "20:show 0", "40:show 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(play(c.provider, 0, c.to), c.expected);
  }
}

TEST(TimelineSchedule, EntriesPassedWhileAsleepAreSkippedToTheLatest) {
  // Read every 100 s: entries at 10, 20 and 30 have all come at the first reading.
  Provider p{{0, 10, 20, 30}, [](double) { return Policy::never(); }};
  EXPECT_EQ(play(p, 0, 100, 100), (std::vector<std::string>{"0:placeholder", "0:request", "0:show 0", "100:show 3"}));
}

TEST(TimelineSchedule, OutsideRequestsAreServedAtOnceAndOneAtATime) {
  Provider p{{0}, [](double now) { return Policy::after(at(now + 300)); }};
  // Each is served at once, without the gap automatic requests keep; the
  // next automatic request counts from the last of them.
  EXPECT_EQ(play(p, 0, 400, 1, {50, 52}),
            (std::vector<std::string>{"0:placeholder", "0:request", "0:show 0", "50:request", "50:show 0", "52:request",
                                      "52:show 0", "352:request", "352:show 0"}));

  // Asked while a request runs: one more request once it is done.
  TimelineSchedule s;
  s.start(at(0));
  ASSERT_TRUE(s.requesting());
  EXPECT_TRUE(s.reloadRequested(at(0.1)).empty());
  EXPECT_TRUE(s.reloadRequested(at(0.2)).empty());
  auto actions = s.received(at(0.3), {at(0)}, Policy::after(at(300)));
  EXPECT_EQ(actions, (std::vector<TimelineSchedule::Action>{{Step::showEntry, 0}, {Step::requestTimeline, 0}}));
  actions = s.received(at(0.4), {at(0.4)}, Policy::after(at(300)));
  EXPECT_EQ(actions, (std::vector<TimelineSchedule::Action>{{Step::showEntry, 0}}));
  EXPECT_EQ(s.nextDue(), at(300));
}

TEST(TimelineSchedule, AFailedRequestKeepsWhatIsShownAndIsAskedAgainLater) {
  TimelineSchedule s;
  s.start(at(0));
  EXPECT_EQ(s.received(at(0), {at(0)}, Policy::after(at(300))),
            (std::vector<TimelineSchedule::Action>{{Step::showEntry, 0}}));
  EXPECT_EQ(s.advance(at(300)), (std::vector<TimelineSchedule::Action>{{Step::requestTimeline, 0}}));
  EXPECT_TRUE(s.failed(at(300.5), 60).empty());  // entry 0 stays; nothing to do now
  EXPECT_FALSE(s.requesting());
  EXPECT_EQ(s.nextDue(), at(360.5));
  EXPECT_EQ(s.advance(at(360.5)), (std::vector<TimelineSchedule::Action>{{Step::requestTimeline, 0}}));
  // Someone asked while it ran: again as soon as the minimum gap allows.
  EXPECT_TRUE(s.reloadRequested(at(361)).empty());
  EXPECT_TRUE(s.failed(at(362), 60).empty());
  EXPECT_EQ(s.nextDue(), at(365.5));
  EXPECT_EQ(s.shownEntry(), 0u);
}

TEST(TimelineSchedule, NextDueIsTheEarlierOfTheNextEntryAndTheReload) {
  TimelineSchedule s;
  s.start(at(0));
  EXPECT_EQ(s.nextDue(), std::nullopt);  // a request is under way
  s.received(at(0), {at(0), at(100), at(400)}, Policy::after(at(300)));
  EXPECT_EQ(s.nextDue(), at(100));
  s.advance(at(100));
  EXPECT_EQ(s.nextDue(), at(300));
  s.received(at(0), {at(0)}, Policy::never());
  EXPECT_EQ(s.nextDue(), std::nullopt);
}

TEST(TimelineSchedule, WallClockJumps) {
  struct Case {
    std::string name;
    std::vector<double> readings;  // after a request at 1000 answered with after(1300)
    std::vector<bool> requests;    // whether each reading asks for a timeline
  };
  const std::vector<Case> cases = {
      // A resume from suspend: the first reading past the date asks at once.
      {"forward past the date", {1001, 5000, 5001}, {false, true, false}},
      {"forward, not yet due", {1001, 1299, 1300}, {false, false, true}},
      // Set back, but not past the request: the date still holds.
      {"back a little", {1100, 1050, 1299, 1300}, {false, false, false, true}},
      // Set back past the request: the provider's dates are from a clock
      // that no longer holds; ask again at once.
      {"back past the request", {900, 901, 906}, {true, false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TimelineSchedule s;
    s.start(at(1000));
    s.received(at(1000), {at(1000)}, Policy::after(at(1300)));
    for (std::size_t i = 0; i < c.readings.size(); ++i) {
      auto actions = s.advance(at(c.readings[i]));
      bool requested = !actions.empty() && actions.back().step == Step::requestTimeline;
      EXPECT_EQ(requested, c.requests[i]) << "reading " << c.readings[i];
      if (requested) s.received(at(c.readings[i]), {at(c.readings[i])}, Policy::after(at(c.readings[i] + 300)));
    }
  }
}

TEST(HostClock, RunsFromItsStartAtItsSpeedAndFollowsWallClockJumps) {
  double wall = 5000;
  HostClock clock(at(100), 60, [&wall] { return wall; });
  EXPECT_EQ(clock.now(), at(100));
  wall += 2;
  EXPECT_EQ(clock.now(), at(220));
  EXPECT_DOUBLE_EQ(clock.wallSeconds(60), 1);
  wall += 3600;  // a suspend of an hour is an hour at the clock's speed
  EXPECT_EQ(clock.now(), at(220 + 3600 * 60));
  wall -= 10;
  EXPECT_EQ(clock.now(), at(220 + 3590 * 60));
}

}  // namespace
}  // namespace corvane
