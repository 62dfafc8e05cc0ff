#pragma once
// The running widget host: it asks a widget for timelines on the schedule,
// shows each entry in every family it serves as a live layout, and wakes only
// when something is due — a reload, an entry's date, or a relative text
// turning over — or the clock is set. Its one timer counts the wall clock,
// so a suspend or a clock change needs no polling. Timelines are
// asked for off the main loop; an entry that would draw what is shown keeps
// the layouts as they are. It runs on the default GLib main context; whoever
// owns the loop runs it.

#include <glib.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host/background_request.hpp"
#include "platform/host/widget_source.hpp"
#include "platform/process/wall_timer.hpp"
#include "platform/protocol/canvas.hpp"
#include "platform/protocol/host_clock.hpp"
#include "platform/protocol/schedule.hpp"
#include "platform/ui/paint/live_layout.hpp"
#include "platform/ui/shaping/pango_text.hpp"

namespace corvane {

// What the host tells whoever shows its pictures (files, windows).
class HostListener {
 public:
  virtual ~HostListener() = default;
  virtual void placeholderShown(Date /*now*/) {}
  virtual void snapshotReceived(Date /*now*/) {}
  virtual void timelineReceived(Date /*now*/, const HostTimeline& /*timeline*/) {}
  virtual void reloadRequested(Date /*now*/) {}
  // An entry came that draws what every layout shows: the layouts stay as they are.
  virtual void entryUnchanged(Date /*now*/) {}
  // `family` has a new layout (a new entry): its whole picture is new.
  virtual void layoutReplaced(WidgetFamily family, const LiveLayout& layout) = 0;
  // Relative texts of `family`'s layout changed: `damage` (points) must be
  // repainted, e.g. with layout.repaint().
  virtual void layoutChanged(WidgetFamily family, const LiveLayout& layout, Rect damage) = 0;
  // `family` is no longer served; its layout is gone.
  virtual void layoutRemoved(WidgetFamily /*family*/) {}
  // When a change of `family`'s relative texts due at `change` is first
  // used: a window shows it then; an output that keeps a picture once a
  // minute, at its next write. The host reads the texts no earlier, so it
  // wakes no more often than they are used.
  virtual Date nextUse(WidgetFamily /*family*/, Date change) const { return change; }
};

struct HostSettings {
  std::vector<WidgetFamily> families;
  Environment environment;  // locale, time zone and display scale; the clock is replaced by the host's
  HostClock clock;
};

class WidgetHost {
 public:
  // A request that fails (a provider breaking the protocol, say) is asked
  // again this much later (host seconds); what is shown stays.
  static constexpr double kRetryAfterFailure = 60;
  // A request whose thread could not start (the user's task limit) is
  // tried again this much later.
  static constexpr double kRetryAfterNoThread = TimelineSchedule::kMinimumRequestGap;

  // `fonts` and `listener` must outlive the host.
  WidgetHost(WidgetSource source, HostSettings settings, const FontLibrary& fonts, HostListener& listener);
  ~WidgetHost();
  WidgetHost(const WidgetHost&) = delete;
  WidgetHost& operator=(const WidgetHost&) = delete;

  // Shows the placeholder at once, then asks for a timeline.
  void start();
  // Asks for a new timeline soon; requests made together are served once.
  // Returns why the host cannot act on it now (its last request could not
  // start; it keeps trying), or nothing when it can.
  std::optional<std::string> requestReload();
  // Asks for a snapshot entry for a preview (a gallery, say) without
  // changing what the host shows; build its view with entry.view(env).
  HostEntry snapshot(WidgetFamily family);
  // Serves one more family (its layout built from the entry shown), or one fewer.
  void addFamily(WidgetFamily family);
  void removeFamily(WidgetFamily family);
  // The display's scale changed (a window moved to another monitor, or the
  // monitor's scale changed): every layout is made again for it.
  void setDisplayScale(double scale);
  // The time zone changed (the system's, followed while it runs): every
  // view is built again, so times of day read in the new zone.
  void setTimeZone(const std::string& zone);
  const std::string& timeZone() const { return settings_.environment.timeZone; }

  // What is due is worked out again now: the host's timer does this when it
  // fires or the wall clock is set; a host given a clock of its own is told
  // here when that clock jumps.
  void recheck();

  const LiveLayout* layout(WidgetFamily family) const;
  Date now() const { return settings_.clock.now(); }
  const HostClock& clock() const { return settings_.clock; }
  // Whether a timeline request is running off the main loop.
  bool requesting() const { return request_.running(); }

 private:
  void perform(const std::vector<TimelineSchedule::Action>& actions);
  void answered(BackgroundRequest::Answer answer);
  // A request failed: asked again `retryAfter` host seconds later.
  void failed(Date at, double retryAfter);
  void show(const HostEntry& entry, bool placeholder = false);
  Environment environmentFor(WidgetFamily family) const;
  void build(WidgetFamily family, Node tree);
  void wake();
  void arm();
  static gboolean onReload(gpointer self);

  WidgetSource source_;
  HostSettings settings_;
  HostListener& listener_;
  TimelineSchedule schedule_;
  HostTimeline timeline_;
  std::optional<HostEntry> shown_;
  // The placeholder is what is shown: it is drawn redacted, made-up data
  // never reads as real, and a failed request replaces it with no data.
  bool placeholderShown_ = false;
  // One measurer for the host's life: it lets go of what layout passes no
  // longer ask for, so a week of ticking texts never piles up, and a new
  // entry shapes only the texts the last one did not show.
  PangoTextMeasurer text_;
  std::map<WidgetFamily, std::unique_ptr<LiveLayout>> layouts_;
  BackgroundRequest request_;
  WallTimer timer_;
  guint reloadIdle_ = 0;
  std::optional<std::string> cannotRequest_;  // why the last request could not start
};

}  // namespace corvane
