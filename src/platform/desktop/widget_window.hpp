#pragma once
// One widget on the desktop: a GTK 3 window whose only child is a drawing
// area that our own painter draws into, at the window's scale factor. On X11
// it is undecorated, kept below other windows, on every workspace, out of the
// taskbar, pager and window switcher, never focused, and draggable; on a
// Wayland compositor with layer shell it is a layer surface on the bottom
// layer. Rounded corners are transparent under a compositor and cut with a
// window shape without one.

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/placement.hpp"
#include "platform/desktop/window_menu.hpp"

namespace corvane {

// What a window shows; the host behind the window implements it.
class WindowContent {
 public:
  virtual ~WindowContent() = default;
  // The widget's size in points, which are the display's logical pixels.
  virtual Size size() const = 0;
  virtual double cornerRadius() const = 0;
  // The family shown, by its short name ("medium").
  virtual std::string_view family() const = 0;
  // Paints onto `cr`, whose user space is in points, for a surface of
  // `scale` device pixels per point.
  virtual void paint(cairo_t* cr, int scale) = 0;
  // The texts in reading order, for screen readers.
  virtual std::string description() const = 0;
};

// What the window's menu, a click and a drag ask of whoever owns the window.
struct WindowActions {
  MenuActions menu;                               // a click asks menu.open
  std::function<void(double x, double y)> moved;  // a person dragged it there
  std::function<std::vector<Rect>()> taken;       // the frames of the widgets it keeps clear of
};

class WidgetWindow {
 public:
  WidgetWindow(WindowContent& content, WindowPlacement placement, WindowActions actions);
  ~WidgetWindow();
  WidgetWindow(const WidgetWindow&) = delete;
  WidgetWindow& operator=(const WidgetWindow&) = delete;

  // Shows the window (again) and raises it within its layer.
  void present();
  // The content changed: repaints `damage` (points), or all of it.
  void contentChanged(const std::optional<Rect>& damage = std::nullopt);
  // The content now shows another family (and maybe another size).
  void familyChanged();
  // Places it again: its neighbours moved, grew or shrank.
  void place();
  // Where it was last placed (logical pixels of the display), if it was.
  std::optional<Rect> frame() const;
  // Forgets where it was dragged and goes to the free spot from its corner.
  void moveToCorner();
  // Locked in place: a press starts no drag (a click still opens Corvane).
  void setLocked(bool locked);

  GtkWindow* window() const;
  bool isLayerSurface() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace corvane
