#pragma once
// What a widget window needs from X11 alone: the hints that keep it below
// and out of the way, the shape that cuts its corners without a compositor,
// painting a region at once, and the root window's work area.

#include <gtk/gtk.h>

#include <functional>

#include "platform/ui/layout/geometry.hpp"

namespace corvane::x11 {

// Undecorated utility window kept below, on every workspace, out of the
// taskbar, the pager and the window switcher, never focused.
void setDesktopHints(GtkWindow* window);

// Without a compositor, transparent pixels show black: the corners are cut
// with a shape of the rounded rectangle at the window's device pixels. With
// one, no shape, so antialiased corners blend with what is behind. Does
// nothing before the window is realized or off X11.
void updateShape(GtkWidget* window, Size size, double cornerRadius);

// Paints `damage` (pixels of `area`) of the window at once, through GDK's
// double buffer, with `paint` drawing onto the area's origin. False where
// it cannot (not X11, not shown, or GTK is painting).
bool paintNow(GtkWidget* window, GtkWidget* area, const cairo_rectangle_int_t& damage,
              const std::function<void(cairo_t*)>& paint);

// Under KWin, marco and muffin, makes the window transient for the desktop
// window under it (Plasma has one per screen), which their Show Desktop
// leaves shown with its transients; elsewhere, or with no desktop window,
// for none.
// setDesktopHints ties it when it maps and when windows come and go; a drag
// to another screen ties it again.
void tieToDesktop(GtkWidget* window);

// Whether the X display is Xwayland (a Wayland compositor's X server): its
// RandR outputs, GDK's monitor models, are named XWAYLAND<n>.
bool isXwayland(GdkDisplay* display);

// Calls `changed` when the window manager sets a new work area
// (_NET_WORKAREA on the root window), for as long as it lives.
class WorkAreaWatch {
 public:
  WorkAreaWatch(GdkScreen* screen, std::function<void()> changed);
  ~WorkAreaWatch();
  WorkAreaWatch(const WorkAreaWatch&) = delete;
  WorkAreaWatch& operator=(const WorkAreaWatch&) = delete;

 private:
  static GdkFilterReturn onRootEvent(GdkXEvent* native, GdkEvent*, gpointer self);

  GdkWindow* root_ = nullptr;  // none off X11
  std::function<void()> changed_;
};

}  // namespace corvane::x11
