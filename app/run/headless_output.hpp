#pragma once
// What `run --headless` does with the host's pictures: keeps one PNG per
// family current in a folder, and (with --events) prints every host event
// as one JSON object per line on standard output.

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/run/host_events.hpp"
#include "platform/host/widget_host.hpp"
#include "platform/ui/shaping/gobject_ptr.hpp"

namespace corvane {

class HeadlessOutput final : public EventPrintingListener {
 public:
  // `interval`: host seconds between two pictures that differ only in their
  // relative texts. `fonts` must outlive this.
  // `verdict`: why the snapshot file gave no data, for --events.
  HeadlessOutput(std::string folder, double interval, bool events, HostClock clock, const FontLibrary& fonts,
                 std::shared_ptr<const SnapshotVerdict> verdict = nullptr);
  ~HeadlessOutput() override;
  HeadlessOutput(const HeadlessOutput&) = delete;
  HeadlessOutput& operator=(const HeadlessOutput&) = delete;

  // Where the picture of `family` is kept in `folder`.
  static std::string picturePath(const std::string& folder, WidgetFamily family);

  void layoutReplaced(WidgetFamily family, const LiveLayout& layout) override;
  void layoutChanged(WidgetFamily family, const LiveLayout& layout, Rect damage) override;
  Date nextUse(WidgetFamily family, Date change) const override;
  void layoutRemoved(WidgetFamily family) override;

 private:
  struct Picture {
    HeadlessOutput* owner = nullptr;
    WidgetFamily family{};
    const LiveLayout* layout = nullptr;
    guint flushTimer = 0;  // a change waits for the end of the interval
    CairoSurfacePtr surface;
    std::optional<Rect> unpainted;  // changed since the last paint
    std::optional<Date> lastWritten;
    bool unwritten = false;  // the file is behind the picture (a write failed)
    bool failureReported = false;
  };

  void write(Picture& picture);
  static gboolean onFlush(gpointer picture);

  std::string folder_;
  double interval_;
  HostClock clock_;
  const FontLibrary& fonts_;
  std::map<WidgetFamily, Picture> pictures_;
};

}  // namespace corvane
