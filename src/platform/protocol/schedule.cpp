#include "platform/protocol/schedule.hpp"

#include <algorithm>

namespace corvane {

std::vector<TimelineSchedule::Action> TimelineSchedule::start(Date now) {
  std::vector<Action> actions{{Step::drawPlaceholder}};
  for (const Action& a : request(now)) actions.push_back(a);
  return actions;
}

std::vector<TimelineSchedule::Action> TimelineSchedule::request(Date now) {
  requesting_ = true;
  lastRequest_ = now;
  return {{Step::requestTimeline}};
}

std::vector<TimelineSchedule::Action> TimelineSchedule::received(Date now, const std::vector<Date>& entryDates,
                                                                 TimelineReloadPolicy policy) {
  requesting_ = false;
  dates_ = entryDates;
  shown_.reset();
  const Date earliest = lastRequest_.value_or(now).addingTimeInterval(kMinimumRequestGap);
  switch (policy.kind) {
    case TimelineReloadPolicy::Kind::after: reloadAt_ = std::max(policy.date, earliest); break;
    case TimelineReloadPolicy::Kind::atEnd:
      reloadAt_ = dates_.empty() ? earliest : std::max(*std::max_element(dates_.begin(), dates_.end()), earliest);
      break;
    case TimelineReloadPolicy::Kind::never: reloadAt_.reset(); break;
  }
  if (outsidePending_) {
    // Someone asked while this request ran: the answer may predate what they
    // wrote, so ask once more, now.
    outsidePending_ = false;
    reloadAt_ = now;
  }
  return advance(now);
}

std::vector<TimelineSchedule::Action> TimelineSchedule::failed(Date now, double retryAfter) {
  requesting_ = false;
  const Date earliest = lastRequest_.value_or(now).addingTimeInterval(kMinimumRequestGap);
  reloadAt_ = std::max(outsidePending_ ? now : now.addingTimeInterval(retryAfter), earliest);
  outsidePending_ = false;
  return advance(now);
}

std::vector<TimelineSchedule::Action> TimelineSchedule::reloadRequested(Date now) {
  if (requesting_) {
    outsidePending_ = true;
    return {};
  }
  return request(now);
}

std::vector<TimelineSchedule::Action> TimelineSchedule::advance(Date now) {
  std::vector<Action> actions;
  if (requesting_) return actions;
  if (lastRequest_ && now < *lastRequest_) {
    // The clock was set back past the last request: the dates the provider
    // gave were measured on a clock that no longer holds, and waiting for
    // them could freeze the widget for as long as the clock went back. Ask
    // again now; the gap is measured from the new reading.
    lastRequest_ = now.addingTimeInterval(-kMinimumRequestGap);
    if (reloadAt_) reloadAt_ = now;
  }
  // The latest entry whose date has come; earlier ones it replaces are skipped.
  std::optional<std::size_t> due;
  for (std::size_t i = shown_ ? *shown_ + 1 : 0; i < dates_.size(); ++i)
    if (dates_[i] <= now) due = i;
  if (due) {
    shown_ = due;
    actions.push_back({Step::showEntry, *due});
  }
  if (reloadAt_ && now >= *reloadAt_)
    for (const Action& a : request(now)) actions.push_back(a);
  return actions;
}

std::optional<Date> TimelineSchedule::nextDue() const {
  if (requesting_) return std::nullopt;
  std::optional<Date> next = reloadAt_;
  const std::size_t from = shown_ ? *shown_ + 1 : 0;
  for (std::size_t i = from; i < dates_.size(); ++i)
    if (!next || dates_[i] < *next) next = dates_[i];
  return next;
}

}  // namespace corvane
