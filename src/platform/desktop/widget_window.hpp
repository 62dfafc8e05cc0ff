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

#include "platform/desktop/placement.hpp"

namespace corvane {

// What a window shows; the host behind the window implements it.
class WindowPicture {
 public:
  virtual ~WindowPicture() = default;
  // The widget's size in points, which are the display's logical pixels.
  virtual Size size() const = 0;
  virtual double cornerRadius() const = 0;
  // Paints onto `cr`, whose user space is in points, for a surface of
  // `scale` device pixels per point (relaying out first if the scale is new).
  virtual void paint(cairo_t* cr, int scale) = 0;
  // The texts in reading order, for screen readers.
  virtual std::string description() const = 0;
};

struct WindowPlacement {
  Corner corner = Corner::topRight;
  double margin = 24;           // points
  double offset = 0;            // points along the edge, past the widgets before this one
  std::optional<int> monitor;   // index; none or gone: the primary monitor
  std::optional<Rect> dragged;  // a remembered place (x, y), which wins when reachable
};

// What the window's menu and a drag ask of the host; `family` is the one the
// window shows at the time.
struct WindowActions {
  std::function<void()> reload;
  std::function<void(std::string_view family, std::string_view to)> resize;
  std::function<void()> quit;
  std::function<void(std::string_view family, double x, double y)> moved;  // a person dragged it there
};

class WidgetWindow {
 public:
  WidgetWindow(GtkApplication* app, WindowPicture& picture, std::string_view family, WindowPlacement placement,
               WindowActions actions);
  ~WidgetWindow();
  WidgetWindow(const WidgetWindow&) = delete;
  WidgetWindow& operator=(const WidgetWindow&) = delete;

  // Shows the window (again) and raises it within its layer.
  void present();
  // The picture changed: repaints `damage` (points), or all of it.
  void pictureChanged(const std::optional<Rect>& damage = std::nullopt);
  // The picture now shows another family (and maybe another size).
  void familyChanged(std::string_view family);

  GtkWindow* window() const;
  int scaleFactor() const;
  bool isLayerSurface() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Opens the default display. Returns false when there is none.
bool openDisplay();

// Calls `lost` once when the connection to the display breaks (the display
// closes, the server or compositor goes away), before GTK's own handlers can
// end the process; `lost` must not return to GTK (it ends the process).
void watchDisplayLoss(void (*lost)());

}  // namespace corvane
