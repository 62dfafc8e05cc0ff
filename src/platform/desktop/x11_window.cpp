#include "platform/desktop/x11_window.hpp"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <cstring>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string_view>
#include <vector>

namespace corvane::x11 {
namespace {

constexpr double kPi = std::numbers::pi;

struct RegionDestroy {
  void operator()(cairo_region_t* r) const noexcept { cairo_region_destroy(r); }
};
using RegionPtr = std::unique_ptr<cairo_region_t, RegionDestroy>;

// Every request of ours runs inside one: a window listed by the window
// manager may be gone by the time it is asked about (BadWindow), and GDK's
// default handler ends the process on any X error. Errors in the scope are
// waited for and dropped when it closes; `failed()` tells whether any came.
class ErrorTrap {
 public:
  explicit ErrorTrap(GdkDisplay* display) : display_(display) { gdk_x11_display_error_trap_push(display_); }
  ~ErrorTrap() {
    if (display_) gdk_x11_display_error_trap_pop_ignored(display_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  // Closes the scope now (a round trip) and tells whether a request failed.
  bool failed() {
    const bool any = gdk_x11_display_error_trap_pop(display_) != 0;
    display_ = nullptr;
    return any;
  }

 private:
  GdkDisplay* display_;
};

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

// KWin lifts desktop windows above every other window while it shows the
// desktop, and with them the windows that belong to a desktop window's
// group, transients kept above it. marco and muffin (MATE's and Cinnamon's
// window managers, from metacity's code) hide every window for Show Desktop
// but DESKTOP and DOCK windows and their transients. A widget transient for
// the desktop's own window is therefore still shown with Show Desktop on,
// and stays above the desktop window when that is raised by a click;
// otherwise it is a utility window kept below like any other. Elsewhere it
// is tied to nothing: other window managers have their own rules for
// transients, and xfwm4's and icewm's Show Desktop already spare it.
namespace {

bool sparesDesktopTransients(GtkWidget* window) {
  const char* name = gdk_x11_screen_get_window_manager_name(gtk_widget_get_screen(window));
  if (!name) return false;
  constexpr std::array<std::string_view, 3> kSparing{"KWin", "Metacity (Marco)", "Mutter (Muffin)"};
  return std::ranges::find(kSparing, std::string_view(name)) != kSparing.end();
}

// The managed window of type DESKTOP that holds the point, else the first
// one; 0 when there is none.
Window desktopWindowAt(Display* x, int px, int py) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_CLIENT_LIST", False), 0, 4096, False, XA_WINDOW,
                         &type, &format, &count, &after, &data) != Success ||
      !data)
    return 0;
  const Atom desktopType = XInternAtom(x, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
  const Atom typeAtom = XInternAtom(x, "_NET_WM_WINDOW_TYPE", False);
  Window first = 0, holding = 0;
  const auto* windows = reinterpret_cast<const Window*>(data);
  for (unsigned long i = 0; i < count && !holding; ++i) {
    unsigned long n = 0;
    unsigned char* types = nullptr;
    bool desktop = false;
    if (XGetWindowProperty(x, windows[i], typeAtom, 0, 16, False, XA_ATOM, &type, &format, &n, &after, &types) ==
            Success &&
        types) {
      for (unsigned long j = 0; j < n; ++j) desktop = desktop || reinterpret_cast<const Atom*>(types)[j] == desktopType;
      XFree(types);
    }
    if (!desktop) continue;
    if (!first) first = windows[i];
    Window root = 0, child = 0;
    int wx = 0, wy = 0, rx = 0, ry = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (XGetGeometry(x, windows[i], &root, &wx, &wy, &w, &h, &border, &depth) &&
        XTranslateCoordinates(x, windows[i], root, 0, 0, &rx, &ry, &child) && px >= rx && py >= ry &&
        px < rx + int(w) && py < ry + int(h))
      holding = windows[i];
  }
  XFree(data);
  return holding ? holding : first;
}

}  // namespace

void tieToDesktop(GtkWidget* window) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  if (!gdkWindow || !GDK_IS_X11_DISPLAY(gtk_widget_get_display(window))) return;
  ErrorTrap trap(gtk_widget_get_display(window));
  Display* x = GDK_DISPLAY_XDISPLAY(gtk_widget_get_display(window));
  const Window xid = GDK_WINDOW_XID(gdkWindow);
  int wx = 0, wy = 0;
  gdk_window_get_root_origin(gdkWindow, &wx, &wy);
  const Window desktop = sparesDesktopTransients(window) ? desktopWindowAt(x, wx + gdk_window_get_width(gdkWindow) / 2,
                                                                           wy + gdk_window_get_height(gdkWindow) / 2)
                                                         : 0;
  Window current = 0;
  if (!XGetTransientForHint(x, xid, &current)) current = 0;
  if (current == desktop) return;
  if (desktop)
    XSetTransientForHint(x, xid, desktop);
  else
    XDeleteProperty(x, xid, XA_WM_TRANSIENT_FOR);
}

namespace {

GdkFilterReturn onClientList(GdkXEvent* native, GdkEvent*, gpointer window) {
  const auto* event = static_cast<const XEvent*>(native);
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
  if (event->type == PropertyNotify &&
      event->xproperty.atom == gdk_x11_get_xatom_by_name_for_display(display, "_NET_CLIENT_LIST"))
    tieToDesktop(GTK_WIDGET(window));
  return GDK_FILTER_CONTINUE;
}

// _NET_WM_USER_TIME: now, rather than 0 (which focus-on-map false writes).
// KWin takes 0 as "refuse activation" and then marks a new ordinary or
// utility window as demanding attention; with a fresh time it lets the
// window map without that, and gives it no focus (it takes none).
void onRealize(GtkWidget* window, gpointer) {
  GdkDisplay* display = gtk_widget_get_display(window);
  if (!GDK_IS_X11_DISPLAY(display)) return;
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  ErrorTrap trap(display);
  gdk_x11_window_set_user_time(gdkWindow, gdk_x11_get_server_time(gdkWindow));
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  const Window xid = GDK_WINDOW_XID(gdkWindow);
  // GDK always offers WM_TAKE_FOCUS, and declines the focus when it comes.
  // xfwm4 counts a window offering it as focusable whatever its input hint:
  // its Alt-Tab then lists the widget once it lists skip-taskbar windows.
  // Without it the window takes no input at all (ICCCM's "no input").
  Atom* protocols = nullptr;
  int count = 0;
  if (XGetWMProtocols(x, xid, &protocols, &count)) {
    const Atom takeFocus = gdk_x11_get_xatom_by_name_for_display(display, "WM_TAKE_FOCUS");
    std::vector<Atom> kept;
    for (int i = 0; i < count; ++i)
      if (protocols[i] != takeFocus) kept.push_back(protocols[i]);
    XFree(protocols);
    XSetWMProtocols(x, xid, kept.data(), int(kept.size()));
  }
  // Moved and closed, never minimized (nor maximized or resized): icewm's
  // Show Desktop minimizes every window down to its Below layer that can be.
  gdk_window_set_functions(gdkWindow, GdkWMFunction(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
  // icewm's Alt-Tab and window list show every window its options do not
  // leave out; a client hands it options for its class on the root window,
  // as "class\0option\0value\0" triples that icewm reads and deletes.
  static constexpr char kIcewmOptions[] =
      "corvane-widget\0ignoreQuickSwitch\0"
      "1\0"
      "corvane-widget\0ignoreWinList\0"
      "1\0";
  const Atom options = gdk_x11_get_xatom_by_name_for_display(display, "_ICEWM_WINOPTHINT");
  XChangeProperty(x, DefaultRootWindow(x), options, options, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(kIcewmOptions), int(sizeof kIcewmOptions - 1));
}

// States GTK has no call for, asked of the window manager once mapped
// (GTK rewrites _NET_WM_STATE when it maps the window).
gboolean onMapped(GtkWidget* window, GdkEvent*, gpointer) {
  GdkDisplay* display = gtk_widget_get_display(window);
  if (!GDK_IS_X11_DISPLAY(display)) return FALSE;
  ErrorTrap trap(display);
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = GDK_WINDOW_XID(gtk_widget_get_window(window));
  e.xclient.message_type = XInternAtom(x, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // add
  e.xclient.data.l[1] = long(XInternAtom(x, "_KDE_NET_WM_STATE_SKIP_SWITCHER", False));
  e.xclient.data.l[3] = 1;  // from an application
  XSendEvent(x, DefaultRootWindow(x), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  tieToDesktop(window);
  return FALSE;
}

void onDestroy(GtkWidget* window, gpointer) {
  if (!GDK_IS_X11_DISPLAY(gtk_widget_get_display(window))) return;
  gdk_window_remove_filter(gdk_screen_get_root_window(gtk_widget_get_screen(window)), onClientList, window);
}

}  // namespace

bool isXwayland(GdkDisplay* display) {
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
    const char* model = gdk_monitor_get_model(gdk_display_get_monitor(display, i));
    if (model && g_str_has_prefix(model, "XWAYLAND")) return true;
  }
  return false;
}

void setDesktopHints(GtkWindow* window) {
  // A utility window kept below: openbox (and other EWMH window managers)
  // keep it under normal windows and out of the window switcher, and,
  // unlike a desktop-type window, still let a person move it (KWin moves
  // no DESKTOP or DOCK window).
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
  gtk_window_set_keep_below(window, TRUE);
  gtk_window_stick(window);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  gtk_window_set_skip_pager_hint(window, TRUE);
  gtk_window_set_accept_focus(window, FALSE);
  GtkWidget* widget = GTK_WIDGET(window);
  g_signal_connect(widget, "realize", G_CALLBACK(onRealize), nullptr);
  g_signal_connect(widget, "map-event", G_CALLBACK(onMapped), nullptr);
  g_signal_connect(widget, "destroy", G_CALLBACK(onDestroy), nullptr);
  GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(widget));
  gdk_window_set_events(root, GdkEventMask(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
  gdk_window_add_filter(root, onClientList, widget);
}

void updateShape(GtkWidget* window, Size size, double cornerRadius) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  GdkDisplay* display = gtk_widget_get_display(window);
  if (!gdkWindow || !GDK_IS_X11_DISPLAY(display)) return;
  ErrorTrap trap(display);
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
