#pragma once
// The host's timeline protocol: what a provider is asked, what it answers,
// and when the host may ask again.

#include <concepts>
#include <functional>
#include <vector>

#include "platform/protocol/date.hpp"
#include "platform/protocol/family.hpp"

namespace corvane {

// When the host asks for the next timeline.
struct TimelineReloadPolicy {
  enum class Kind { atEnd, after, never };
  Kind kind = Kind::atEnd;
  Date date{};  // meaningful for `after` only: the earliest time to ask again

  static TimelineReloadPolicy atEnd() { return {Kind::atEnd, {}}; }
  static TimelineReloadPolicy after(Date d) { return {Kind::after, d}; }
  static TimelineReloadPolicy never() { return {Kind::never, {}}; }
};

template <class E>
struct Timeline {
  std::vector<E> entries;
  TimelineReloadPolicy policy;
};

struct DisplaySize {
  double width = 0;
  double height = 0;
};

// What the host says about a request. Providers of this widget read isPreview.
struct TimelineProviderContext {
  bool isPreview = false;
  WidgetFamily family = WidgetFamily::systemSmall;
  DisplaySize displaySize{};
};

// An entry has at least the date from which the host shows it.
template <class E>
concept TimelineEntry = requires(const E& e) {
  { e.date } -> std::convertible_to<Date>;
};

// What a host requires of a provider: an immediate placeholder, and a snapshot
// and a timeline, each delivered through a completion called exactly once.
template <class P>
concept TimelineProvider = TimelineEntry<typename P::EntryType> &&
    requires(const P& p, const TimelineProviderContext& c, std::function<void(typename P::EntryType)> onEntry,
             std::function<void(Timeline<typename P::EntryType>)> onTimeline) {
  { p.placeholder(c) } -> std::same_as<typename P::EntryType>;
  p.getSnapshot(c, onEntry);
  p.getTimeline(c, onTimeline);
};

}  // namespace corvane
