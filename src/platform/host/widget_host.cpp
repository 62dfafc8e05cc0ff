#include "platform/host/widget_host.hpp"

#include <algorithm>
#include <system_error>

#include "platform/ui/tree/tree_compare.hpp"
#include "support/fault.hpp"

namespace corvane {

WidgetHost::WidgetHost(WidgetSource source, HostSettings settings, const FontLibrary& fonts, HostListener& listener)
    : source_(std::move(source)),
      settings_(std::move(settings)),
      listener_(listener),
      text_(fonts),
      request_([this](BackgroundRequest::Answer answer) { answered(std::move(answer)); }),
      // Due, or the clock set: either way what is due is worked out again.
      timer_([this](WallTimer::Why) { recheck(); }) {
  settings_.environment.clock = settings_.clock.asClock();
}

WidgetHost::~WidgetHost() {
  if (reloadIdle_) g_source_remove(reloadIdle_);
}

void WidgetHost::start() {
  perform(schedule_.start(now()));
  arm();
}

std::optional<std::string> WidgetHost::requestReload() {
  if (!reloadIdle_) reloadIdle_ = g_idle_add(&WidgetHost::onReload, this);
  return cannotRequest_;
}

gboolean WidgetHost::onReload(gpointer self) {
  auto* host = static_cast<WidgetHost*>(self);
  host->reloadIdle_ = 0;
  contained("a reload", [host] {
    const Date at = host->now();
    host->listener_.reloadRequested(at);
    host->perform(host->schedule_.reloadRequested(at));
  });
  host->arm();
  return G_SOURCE_REMOVE;
}

HostEntry WidgetHost::snapshot(WidgetFamily family) {
  TimelineProviderContext ctx;
  ctx.isPreview = true;
  ctx.family = family;
  WidgetCanvas c = canvasFor(family);
  ctx.displaySize = {c.width, c.height};
  HostEntry entry = source_.snapshot(ctx);
  listener_.snapshotReceived(now());
  return entry;
}

void WidgetHost::perform(const std::vector<TimelineSchedule::Action>& actions) {
  TimelineProviderContext ctx;
  if (!settings_.families.empty()) {
    ctx.family = settings_.families.front();
    WidgetCanvas c = canvasFor(ctx.family);
    ctx.displaySize = {c.width, c.height};
  }
  for (const auto& a : actions) {
    switch (a.step) {
      case TimelineSchedule::Step::drawPlaceholder: {
        HostEntry entry = source_.placeholder(ctx);  // the sample: no file is read
        listener_.placeholderShown(now());
        show(entry, true);
        break;
      }
      case TimelineSchedule::Step::requestTimeline:
        // Off the main loop: the answer comes back through answered().
        try {
          request_.start([timeline = source_.timeline, ctx] { return timeline(ctx); });
          cannotRequest_.reset();
        } catch (const std::system_error& e) {
          // No thread (EAGAIN at the task limit): the request failed, and
          // is asked again, rather than waiting for an answer that never comes.
          cannotRequest_ = std::string("could not start a timeline request (") + e.what() + "); trying again";
          reportFault("a timeline request", *cannotRequest_);
          failed(now(), kRetryAfterNoThread);
        }
        break;
      case TimelineSchedule::Step::showEntry:
        if (a.entry < timeline_.entries.size()) show(timeline_.entries[a.entry]);
        break;
    }
  }
}

void WidgetHost::answered(BackgroundRequest::Answer answer) {
  contained("a timeline request", [&] {
    const Date at = now();
    if (!answer.timeline) {
      reportFault("a timeline request", answer.failure);
      failed(at, kRetryAfterFailure);
      return;
    }
    timeline_ = std::move(*answer.timeline);
    listener_.timelineReceived(at, timeline_);
    std::vector<Date> dates;
    dates.reserve(timeline_.entries.size());
    for (const HostEntry& e : timeline_.entries) dates.push_back(e.date);
    perform(schedule_.received(at, dates, timeline_.policy));
  });
  arm();
}

void WidgetHost::failed(Date at, double retryAfter) {
  // Nothing but the placeholder to show: no data, rather than its made-up
  // numbers with a freshness line that keeps counting.
  if (placeholderShown_ && source_.withoutData) show(source_.withoutData(at));
  perform(schedule_.failed(at, retryAfter));
}

Environment WidgetHost::environmentFor(WidgetFamily family) const {
  Environment env = settings_.environment;
  env.widgetFamily = family;
  env.redacted = placeholderShown_;
  return env;
}

void WidgetHost::show(const HostEntry& entry, bool placeholder) {
  // The trees first: when each draws what its layout shows (the same data, and
  // every choice made while building, such as fresh or stale, the same), the
  // layouts stay, with their frames, their shaped texts and their pixels. A
  // placeholder is drawn otherwise than an entry with the same data.
  bool same = shown_.has_value() && placeholderShown_ == placeholder;
  placeholderShown_ = placeholder;
  std::map<WidgetFamily, Node> trees;
  for (WidgetFamily f : settings_.families) {
    Node tree = entry.view(environmentFor(f));
    const LiveLayout* shown = layout(f);
    same = same && shown && drawsTheSame(shown->tree(), tree);
    trees.emplace(f, std::move(tree));
  }
  shown_ = entry;
  if (same) {
    listener_.entryUnchanged(now());
    return;
  }
  for (auto& [family, tree] : trees) build(family, std::move(tree));
  text_.passDone(TextMeasurer::Pass::whole);
}

void WidgetHost::build(WidgetFamily family, Node tree) {
  const Environment env = environmentFor(family);
  // The new layout is made before the old one goes: if making it fails, the
  // old one stays shown.
  auto layout = std::make_unique<LiveLayout>(std::move(tree), env, canvasFor(family), text_);
  auto& slot = layouts_[family];
  slot = std::move(layout);
  contained("drawing a new entry", [&] { listener_.layoutReplaced(family, *slot); });
}

void WidgetHost::addFamily(WidgetFamily family) {
  if (std::find(settings_.families.begin(), settings_.families.end(), family) != settings_.families.end()) return;
  settings_.families.push_back(family);
  if (shown_) build(family, shown_->view(environmentFor(family)));
  arm();
}

void WidgetHost::removeFamily(WidgetFamily family) {
  std::erase(settings_.families, family);
  layouts_.erase(family);
  listener_.layoutRemoved(family);
  arm();
}

void WidgetHost::setDisplayScale(double scale) {
  if (settings_.environment.displayScale == scale) return;
  settings_.environment.displayScale = scale;
  if (!shown_) return;
  for (WidgetFamily f : settings_.families) build(f, shown_->view(environmentFor(f)));
  text_.passDone(TextMeasurer::Pass::whole);
}

void WidgetHost::setTimeZone(const std::string& zone) {
  if (settings_.environment.timeZone == zone) return;
  settings_.environment.timeZone = zone;
  if (!shown_) return;
  for (WidgetFamily f : settings_.families) build(f, shown_->view(environmentFor(f)));
  text_.passDone(TextMeasurer::Pass::whole);
  arm();
}

const LiveLayout* WidgetHost::layout(WidgetFamily family) const {
  auto it = layouts_.find(family);
  return it == layouts_.end() ? nullptr : it->second.get();
}

void WidgetHost::recheck() {
  contained("the host's timer", [this] { wake(); });
  arm();
}

void WidgetHost::wake() {
  perform(schedule_.advance(now()));
  const Date at = now();
  for (auto& [family, layout] : layouts_) {
    auto next = layout->nextChange();
    // A clock set back behind the last reading: the next change was worked
    // out on the old time and may be as far off as the clock moved, so the
    // texts are read again now.
    const bool steppedBack = at < layout->readAt();
    if (!next || (listener_.nextUse(family, *next) > at && !steppedBack)) continue;
    // One family's trouble is not the others': each goes on by itself.
    contained("a live text's tick", [&, &family = family, &layout = layout] {
      if (auto damage = layout->update()) listener_.layoutChanged(family, *layout, *damage);
    });
  }
}

void WidgetHost::arm() {
  std::optional<Date> next = schedule_.nextDue();
  for (const auto& [family, layout] : layouts_) {
    auto change = layout->nextChange();
    if (change) change = listener_.nextUse(family, *change);
    if (change && (!next || *change < *next)) next = change;
  }
  // Nothing due: only a request from outside (or the clock set) wakes the
  // host. Otherwise it sleeps until the first thing due, however far: the
  // timer counts the wall clock, through a suspend and a clock set.
  if (!next) {
    timer_.disarm();
    return;
  }
  timer_.armIn(settings_.clock.wallSeconds(next->timeIntervalSince(now())));
}

}  // namespace corvane
