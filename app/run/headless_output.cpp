#include "app/run/headless_output.hpp"

#include <cmath>
#include <filesystem>
#include <iostream>

#include "platform/process/timeout.hpp"
#include "platform/ui/paint/render.hpp"
#include "support/fault.hpp"
#include "support/file_io.hpp"

namespace corvane {
namespace {

// How often a picture that could not be written is tried again.
constexpr guint kRetryWriteMs = 5000;

}  // namespace

HeadlessOutput::HeadlessOutput(std::string folder, double interval, bool events, HostClock clock,
                               const FontLibrary& fonts, std::shared_ptr<const SnapshotVerdict> verdict)
    : EventPrintingListener(events, std::move(verdict)),
      folder_(std::move(folder)),
      interval_(interval),
      clock_(std::move(clock)),
      fonts_(fonts) {}

HeadlessOutput::~HeadlessOutput() {
  for (auto& [family, picture] : pictures_)
    if (picture.flushTimer) g_source_remove(picture.flushTimer);
}

std::string HeadlessOutput::picturePath(const std::string& folder, WidgetFamily family) {
  return (std::filesystem::path(folder) / ("widget-" + std::string(familyShortName(family)) + ".png")).string();
}

void HeadlessOutput::layoutReplaced(WidgetFamily family, const LiveLayout& layout) {
  Picture& picture = pictures_[family];
  picture.owner = this;
  picture.family = family;
  picture.layout = &layout;
  if (picture.flushTimer) g_source_remove(picture.flushTimer);
  picture.flushTimer = 0;
  // A new entry: the whole picture is painted afresh, then written at once.
  // The old picture goes first, so two never take memory at the same time.
  picture.surface.reset();
  picture.surface = paintImage(layout.boxes(), layout.canvas(), layout.environment().displayScale, fonts_);
  picture.unpainted.reset();
  write(picture);
}

void HeadlessOutput::layoutRemoved(WidgetFamily family) {
  auto it = pictures_.find(family);
  if (it == pictures_.end()) return;
  if (it->second.flushTimer) g_source_remove(it->second.flushTimer);
  pictures_.erase(it);
}

void HeadlessOutput::layoutChanged(WidgetFamily family, const LiveLayout& layout, Rect damage) {
  auto it = pictures_.find(family);
  if (it == pictures_.end() || it->second.layout != &layout) return;
  Picture& picture = it->second;
  picture.unpainted = unite(picture.unpainted, damage);
  if (picture.unwritten) {
    // A failed write is tried again at once at a change, and by its timer
    // when nothing changes.
    if (picture.flushTimer) g_source_remove(picture.flushTimer);
    picture.flushTimer = 0;
    write(picture);
    return;
  }
  if (picture.flushTimer) return;  // already waiting for the end of the interval
  // Only relative texts change between entries: a person reads them by the
  // minute, so they are written at most once per interval, the latest at
  // the interval's end. A failed write is retried at the next change.
  const double since = picture.lastWritten ? clock_.now().timeIntervalSince(*picture.lastWritten) : interval_;
  // A negative `since`: the clock was set back since the last write, which
  // says nothing of how long ago that was; the change is written now.
  if (picture.unwritten || since >= interval_ || since < 0) {
    write(picture);
    return;
  }
  const double wait = clock_.wallSeconds(interval_ - since);
  // A flush that comes before the interval's end (a day at most) only writes early.
  picture.flushTimer = g_timeout_add(timeoutMilliseconds(wait, 86400), &HeadlessOutput::onFlush, &picture);
}

// A change is written at most once per interval: one that comes sooner is
// read when the interval ends, so the host sleeps until then. The end is
// rounded up to a whole second, where the texts change anyway, so that the
// families written together (a few microseconds apart) are read again in
// one wake. A picture behind its file, or a clock set back since the last
// write, takes the change now.
Date HeadlessOutput::nextUse(WidgetFamily family, Date change) const {
  auto it = pictures_.find(family);
  if (it == pictures_.end() || !it->second.lastWritten || it->second.unwritten) return change;
  if (clock_.now() < *it->second.lastWritten) return change;
  const Date due{std::ceil(it->second.lastWritten->addingTimeInterval(interval_).sinceEpoch)};
  return due > change ? due : change;
}

gboolean HeadlessOutput::onFlush(gpointer p) {
  auto* picture = static_cast<Picture*>(p);
  picture->flushTimer = 0;
  // Painting or encoding may fail (Cairo, libpng): the last picture written stays.
  contained("writing a picture", [picture] { picture->owner->write(*picture); });
  return G_SOURCE_REMOVE;
}

void HeadlessOutput::write(Picture& picture) {
  const LiveLayout& layout = *picture.layout;
  // A placeholder is never written: whatever shows the files would show it
  // as data. The first entry (or no data, when the provider fails) comes soon.
  if (layout.environment().redacted) return;
  const WidgetFamily family = picture.family;
  if (picture.unpainted) {
    CairoPtr cr(cairo_create(picture.surface.get()));
    const double scale = layout.environment().displayScale;
    cairo_scale(cr.get(), scale, scale);
    layout.repaint(cr.get(), *picture.unpainted, fonts_);
    cairo_surface_flush(picture.surface.get());
    picture.unpainted.reset();
  }
  const std::string path = picturePath(folder_, family);
  if (auto error = writeFileAtomically(path, encodePng(picture.surface.get()))) {
    // The last good picture stays in place; one report per run of failures.
    if (!picture.failureReported) std::cerr << "corvane-widget: " << path << ": " << *error << '\n';
    picture.failureReported = true;
    picture.unwritten = true;
    // Tried again until it is written (a full disk is freed): an entry that
    // draws the same is not a change, and would never write it.
    if (!picture.flushTimer) picture.flushTimer = g_timeout_add(kRetryWriteMs, &HeadlessOutput::onFlush, &picture);
    return;
  }
  picture.failureReported = false;
  picture.unwritten = false;
  const Date now = clock_.now();
  picture.lastWritten = now;
  drawn(now, family, layout);
}

}  // namespace corvane
