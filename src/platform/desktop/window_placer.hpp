#pragma once
// Where a widget window stands on the desktop, kept up to date: the place a
// person dragged it to while some monitor still shows it, else the first
// free spot from its corner of the chosen monitor's work area, always inside
// that work area; placed again when monitors come, go or
// change and when the window manager sets a new work area; and the end of a
// drag, told to whoever remembers places. A layer surface is placed by the
// compositor: only its monitor is chosen again. A window GNOME Shell's
// keeper started is placed through the keeper, which knows the work area
// and tells where a drag left it.

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/placement.hpp"
#include "platform/desktop/shell_keeper.hpp"
#include "platform/desktop/x11_window.hpp"

namespace corvane {

class WindowPlacer {
 public:
  // `size` gives the window's size in points; `dragged` is told where a
  // person let the window go; `taken` gives the frames of the widgets this
  // one keeps clear of.
  WindowPlacer(GtkWindow* window, WindowPlacement placement, bool layerSurface, std::function<Size()> size,
               std::function<void(double x, double y)> dragged, std::function<std::vector<Rect>()> taken);
  ~WindowPlacer();
  WindowPlacer(const WindowPlacer&) = delete;
  WindowPlacer& operator=(const WindowPlacer&) = delete;

  // Moves the window where it belongs now.
  void place();
  // Places it again once GDK has settled (on the next idle).
  void placeSoon();
  // Where place() last put it (logical pixels of the display), if anywhere.
  const std::optional<Rect>& frame() const { return frame_; }
  // Forgets the dragged place: the corner's free spot from now on.
  void forgetDragged() { placement_.dragged.reset(); }
  bool hasDraggedPlace() const { return placement_.dragged.has_value(); }
  // A layer surface's distance along the edge from its corner.
  void setOffset(double offset) { placement_.offset = offset; }
  // Locked in place: a press starts no drag.
  void setLocked(bool locked) { locked_ = locked; }
  bool locked() const { return locked_; }
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
  Rect workArea(GdkMonitor* monitor) const;
  void moveTo(int x, int y);
  void dropped(double x, double y);
  static gboolean onPoll(gpointer self);
  static void onMonitorsChanged(GdkDisplay*, GdkMonitor*, WindowPlacer* self);
  static void onScreenChanged(GdkScreen*, WindowPlacer* self);

  GtkWindow* window_;
  WindowPlacement placement_;
  bool layer_;
  std::function<Size()> size_;
  std::function<void(double, double)> dragged_;
  std::function<std::vector<Rect>()> taken_;
  std::optional<Rect> frame_;
  bool locked_ = false;
  bool saidTooLarge_ = false;  // that the widget is larger than its work area, said once
  DragMemory drag_;
  std::optional<std::pair<double, double>> grab_;  // the pointer's offset in a drag the window moves itself
  guint pollTimer_ = 0;
  guint placeIdle_ = 0;
  gulong addedHandler_ = 0, removedHandler_ = 0, monitorsHandler_ = 0, sizeHandler_ = 0;
  std::unique_ptr<x11::WorkAreaWatch> workArea_;
  shell::Keeper* keeper_ = nullptr;  // set when the Shell's keeper started the program
  std::string keeperPath_;           // what the keeper knows this window by
  int keeperWatch_ = 0;
};

}  // namespace corvane
