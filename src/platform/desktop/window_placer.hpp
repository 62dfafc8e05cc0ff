#pragma once
// Where a widget window stands on the desktop, kept up to date: the place a
// person dragged it to while some monitor still shows it, else its corner of
// the chosen monitor's work area; placed again when monitors come, go or
// change and when the window manager sets a new work area; and the end of a
// drag, told to whoever remembers places. A layer surface is placed by the
// compositor: only its monitor is chosen again.

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "platform/desktop/placement.hpp"
#include "platform/desktop/x11_window.hpp"

namespace corvane {

class WindowPlacer {
 public:
  // `size` gives the window's size in points; `dragged` is told where a
  // person let the window go.
  WindowPlacer(GtkWindow* window, WindowPlacement placement, bool layerSurface, std::function<Size()> size,
               std::function<void(double x, double y)> dragged);
  ~WindowPlacer();
  WindowPlacer(const WindowPlacer&) = delete;
  WindowPlacer& operator=(const WindowPlacer&) = delete;

  // Moves the window where it belongs now.
  void place();
  // Places it again once GDK has settled (on the next idle).
  void placeSoon();
  // A left press on the window: the window manager moves it from here on
  // (under Xwayland the window moves itself, through dragMotion and
  // dragRelease).
  void startDrag(const GdkEventButton* event);
  // The pointer moved or the button came up during a drag the window moves
  // itself: false when none is under way.
  bool dragMotion(double xRoot, double yRoot);
  bool dragRelease(double xRoot, double yRoot);

 private:
  GdkMonitor* chosenMonitor() const;
  static gboolean onPoll(gpointer self);
  static void onMonitorsChanged(GdkDisplay*, GdkMonitor*, WindowPlacer* self);
  static void onScreenChanged(GdkScreen*, WindowPlacer* self);

  GtkWindow* window_;
  WindowPlacement placement_;
  bool layer_;
  std::function<Size()> size_;
  std::function<void(double, double)> dragged_;
  DragMemory drag_;
  std::optional<std::pair<double, double>> grab_;  // the pointer's offset in a drag the window moves itself
  guint pollTimer_ = 0;
  guint placeIdle_ = 0;
  gulong addedHandler_ = 0, removedHandler_ = 0, monitorsHandler_ = 0, sizeHandler_ = 0;
  std::unique_ptr<x11::WorkAreaWatch> workArea_;
};

}  // namespace corvane
