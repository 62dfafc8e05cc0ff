#pragma once
// When the host asks for timelines and which entry it shows, as pure logic
// over dates: the caller feeds it the clock's readings (a timer, a wall-clock
// check, a request from outside) and performs the actions it returns. Tests
// drive it with made-up dates and no event loop.

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/protocol/date.hpp"
#include "platform/protocol/timeline.hpp"

namespace corvane {

class TimelineSchedule {
 public:
  // Automatic requests never come closer together than this, whatever a
  // provider answers, so a reload date in the past cannot make a busy loop.
  static constexpr double kMinimumRequestGap = 5;

  enum class Step {
    drawPlaceholder,  // draw the placeholder entry now
    requestTimeline,  // ask the provider for a timeline now, then call received()
    showEntry,        // build and show entry `entry` of the last timeline received
  };
  struct Action {
    Step step;
    std::size_t entry = 0;
    friend bool operator==(const Action&, const Action&) = default;
  };

  // The placeholder at once, then a timeline.
  std::vector<Action> start(Date now);
  // The timeline asked for: its entries' dates, in order, and its policy.
  std::vector<Action> received(Date now, const std::vector<Date>& entryDates, TimelineReloadPolicy policy);
  // The timeline asked for did not come (the request failed): what is shown
  // stays, and the next request comes `retryAfter` seconds later, or as soon
  // as the minimum gap allows when someone outside asked meanwhile.
  std::vector<Action> failed(Date now, double retryAfter);
  // Someone outside asks for a new timeline. Served at once, one at a time:
  // asked while a request runs, it is served once that request is done.
  std::vector<Action> reloadRequested(Date now);
  // The clock read `now` (a timer or a wall-clock check): whatever is due.
  std::vector<Action> advance(Date now);

  // When advance() will next have something to do; none: only a request
  // from outside will.
  std::optional<Date> nextDue() const;
  // The entry shown, if a timeline's entry is shown.
  std::optional<std::size_t> shownEntry() const { return shown_; }
  bool requesting() const { return requesting_; }

 private:
  std::vector<Action> request(Date now);

  std::vector<Date> dates_;
  std::optional<std::size_t> shown_;
  std::optional<Date> reloadAt_;  // effective: the policy's date, held back by the minimum gap
  std::optional<Date> lastRequest_;
  bool requesting_ = false;
  bool outsidePending_ = false;
};

}  // namespace corvane
