#include "platform/desktop/x11_window.hpp"

#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace corvane::x11 {
namespace {

constexpr double kPi = std::numbers::pi;

struct RegionDestroy {
  void operator()(cairo_region_t* r) const noexcept { cairo_region_destroy(r); }
};
using RegionPtr = std::unique_ptr<cairo_region_t, RegionDestroy>;

// The rounded rectangle's pixels at `scale`: where alpha is at least half,
// so the shape keeps what the painter's antialiased edge mostly covers.
RegionPtr roundedRegion(Size size, double radius, int scale) {
  const int w = static_cast<int>(std::lround(size.width * scale)),
            h = static_cast<int>(std::lround(size.height * scale));
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_t* cr = cairo_create(mask);
  cairo_scale(cr, scale, scale);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // pixel centres inside the curve
  const double r = radius;
  cairo_new_sub_path(cr);
  cairo_arc(cr, size.width - r, r, r, -kPi / 2, 0);
  cairo_arc(cr, size.width - r, size.height - r, r, 0, kPi / 2);
  cairo_arc(cr, r, size.height - r, r, kPi / 2, kPi);
  cairo_arc(cr, r, r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(mask);
  RegionPtr region(gdk_cairo_region_create_from_surface(mask));
  cairo_surface_destroy(mask);
  return region;
}

}  // namespace

void setDesktopHints(GtkWindow* window) {
  // A utility window kept below: openbox (and other EWMH window managers)
  // keep it under normal windows and out of the window switcher, and,
  // unlike a desktop-type window, still let a person move it.
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
  gtk_window_set_keep_below(window, TRUE);
  gtk_window_stick(window);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  gtk_window_set_skip_pager_hint(window, TRUE);
  gtk_window_set_accept_focus(window, FALSE);
  gtk_window_set_focus_on_map(window, FALSE);
}

void updateShape(GtkWidget* window, Size size, double cornerRadius) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  GdkDisplay* display = gtk_widget_get_display(window);
  if (!gdkWindow || !GDK_IS_X11_DISPLAY(display)) return;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  const Window xid = GDK_WINDOW_XID(gdkWindow);
  if (gdk_screen_is_composited(gtk_widget_get_screen(window))) {
    XShapeCombineMask(x, xid, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  // GDK's own shape call works in logical pixels and would cut the corners
  // in steps of the scale; X shapes are in device pixels.
  RegionPtr region = roundedRegion(size, cornerRadius, gtk_widget_get_scale_factor(window));
  std::vector<XRectangle> rects(static_cast<std::size_t>(cairo_region_num_rectangles(region.get())));
  for (std::size_t i = 0; i < rects.size(); ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region.get(), int(i), &r);
    rects[i] = {short(r.x), short(r.y), static_cast<unsigned short>(r.width), static_cast<unsigned short>(r.height)};
  }
  XShapeCombineRectangles(x, xid, ShapeBounding, 0, 0, rects.data(), int(rects.size()), ShapeSet, YXBanded);
}

// A tick's region is painted at once, from the host's timer, instead of
// through GTK's frame clock: the frame clock would paint it in a second
// pass of the main loop, and each pass costs system calls (a poll and two
// reads of the X connection) that are most of what a tick costs. GDK's own
// double buffer is used, so the window never shows a half-painted region.
bool paintNow(GtkWidget* window, GtkWidget* area, const cairo_rectangle_int_t& damage,
              const std::function<void(cairo_t*)>& paint) {
  if (!GDK_IS_X11_DISPLAY(gtk_widget_get_display(window)) || !gtk_widget_is_drawable(area)) return false;
  GdkWindow* top = gtk_widget_get_window(window);
  if (!top) return false;
  int topX = 0, topY = 0;
  if (!gtk_widget_translate_coordinates(area, window, damage.x, damage.y, &topX, &topY)) return false;
  const cairo_rectangle_int_t rect{topX, topY, damage.width, damage.height};
  cairo_region_t* region = cairo_region_create_rectangle(&rect);
  GdkDrawingContext* context = gdk_window_begin_draw_frame(top, region);
  cairo_region_destroy(region);
  if (!context) return false;
  cairo_t* cr = gdk_drawing_context_get_cairo_context(context);
  cairo_translate(cr, topX - damage.x, topY - damage.y);  // the area's origin
  paint(cr);
  gdk_window_end_draw_frame(top, context);
  return true;
}

WorkAreaWatch::WorkAreaWatch(GdkScreen* screen, std::function<void()> changed) : changed_(std::move(changed)) {
  if (!GDK_IS_X11_DISPLAY(gdk_screen_get_display(screen))) return;
  root_ = gdk_screen_get_root_window(screen);
  gdk_window_set_events(root_, GdkEventMask(gdk_window_get_events(root_) | GDK_PROPERTY_CHANGE_MASK));
  gdk_window_add_filter(root_, &WorkAreaWatch::onRootEvent, this);
}

WorkAreaWatch::~WorkAreaWatch() {
  if (root_) gdk_window_remove_filter(root_, &WorkAreaWatch::onRootEvent, this);
}

// The window manager sets the work area after the monitors changed, often
// after GDK told of the change: placing again when it does puts the window
// in the corner of what is really there, not of the work area that was.
GdkFilterReturn WorkAreaWatch::onRootEvent(GdkXEvent* native, GdkEvent*, gpointer self) {
  const auto* event = static_cast<const XEvent*>(native);
  auto* watch = static_cast<WorkAreaWatch*>(self);
  if (event->type == PropertyNotify &&
      event->xproperty.atom ==
          gdk_x11_get_xatom_by_name_for_display(gdk_window_get_display(watch->root_), "_NET_WORKAREA"))
    watch->changed_();
  return GDK_FILTER_CONTINUE;
}

}  // namespace corvane::x11
