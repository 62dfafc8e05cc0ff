#include "platform/live/widget_host.hpp"

#include "platform/live/timeout.hpp"

#include <algorithm>
#include <cmath>

namespace corvane {
namespace {

// The wall clock is looked at at least this often (seconds) while something
// is due: timers count monotonic time, which stands still during a suspend.
constexpr double kWallCheck = 1.0;

}  // namespace

WidgetHost::WidgetHost(WidgetSource source, HostSettings settings, const FontLibrary& fonts, HostListener& listener)
    : source_(std::move(source)), settings_(std::move(settings)), fonts_(fonts), listener_(listener) {
  settings_.environment.clock = settings_.clock.asClock();
}

WidgetHost::~WidgetHost() {
  if (timer_) g_source_remove(timer_);
  if (reloadIdle_) g_source_remove(reloadIdle_);
}

void WidgetHost::start() {
  perform(schedule_.start(now()));
  arm();
}

void WidgetHost::requestReload() {
  if (!reloadIdle_) reloadIdle_ = g_idle_add(&WidgetHost::onReload, this);
}

gboolean WidgetHost::onReload(gpointer self) {
  auto* host = static_cast<WidgetHost*>(self);
  host->reloadIdle_ = 0;
  Date at = host->now();
  host->listener_.reloadRequested(at);
  host->perform(host->schedule_.reloadRequested(at));
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
        HostEntry entry = source_.placeholder(ctx);
        listener_.placeholderShown(now());
        show(entry);
        break;
      }
      case TimelineSchedule::Step::requestTimeline: {
        timeline_ = source_.timeline(ctx);
        Date at = now();
        listener_.timelineReceived(at, timeline_);
        std::vector<Date> dates;
        for (const HostEntry& e : timeline_.entries) dates.push_back(e.date);
        perform(schedule_.received(at, dates, timeline_.policy));
        break;
      }
      case TimelineSchedule::Step::showEntry: show(timeline_.entries.at(a.entry)); break;
    }
  }
}

void WidgetHost::show(const HostEntry& entry) {
  shown_ = entry;
  views_.clear();  // the old views measure with the old measurer
  text_ = std::make_unique<PangoTextMeasurer>(fonts_);
  for (WidgetFamily f : settings_.families) build(f);
}

void WidgetHost::build(WidgetFamily family) {
  Environment env = settings_.environment;
  env.widgetFamily = family;
  Node tree = shown_->view(env);
  auto& view = views_[family];
  view = std::make_unique<LiveView>(std::move(tree), env, canvasFor(family), *text_);
  listener_.viewReplaced(family, *view);
}

void WidgetHost::addFamily(WidgetFamily family) {
  if (std::find(settings_.families.begin(), settings_.families.end(), family) != settings_.families.end()) return;
  settings_.families.push_back(family);
  if (shown_) build(family);
  arm();
}

void WidgetHost::removeFamily(WidgetFamily family) {
  std::erase(settings_.families, family);
  views_.erase(family);
  listener_.viewRemoved(family);
  arm();
}

void WidgetHost::setDisplayScale(double scale) {
  if (settings_.environment.displayScale == scale) return;
  settings_.environment.displayScale = scale;
  if (shown_)
    for (WidgetFamily f : settings_.families) build(f);
}

const LiveView* WidgetHost::view(WidgetFamily family) const {
  auto it = views_.find(family);
  return it == views_.end() ? nullptr : it->second.get();
}

gboolean WidgetHost::onTimer(gpointer self) {
  auto* host = static_cast<WidgetHost*>(self);
  host->timer_ = 0;
  host->wake();
  return G_SOURCE_REMOVE;
}

void WidgetHost::wake() {
  perform(schedule_.advance(now()));
  for (auto& [family, view] : views_) {
    auto next = view->nextChange();
    if (!next || *next > now()) continue;
    if (auto damage = view->update()) listener_.viewChanged(family, *view, *damage);
  }
  arm();
}

void WidgetHost::arm() {
  if (timer_) g_source_remove(timer_);
  timer_ = 0;
  std::optional<Date> next = schedule_.nextDue();
  for (const auto& [family, view] : views_)
    if (auto change = view->nextChange(); change && (!next || *change < *next)) next = change;
  if (!next) return;  // nothing is due: only a request from outside wakes the host
  const double wait = settings_.clock.wallSeconds(next->timeIntervalSince(now()));
  timer_ = g_timeout_add(timeoutMilliseconds(wait, kWallCheck), &WidgetHost::onTimer, this);
}

}  // namespace corvane
