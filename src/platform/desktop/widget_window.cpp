#include "platform/desktop/widget_window.hpp"

#include <X11/extensions/shape.h>
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk-layer-shell.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/desktop/window_menu.hpp"

namespace corvane {
namespace {

constexpr char kTitle[] = "Corvane today";

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
  cairo_arc(cr, size.width - r, r, r, -M_PI / 2, 0);
  cairo_arc(cr, size.width - r, size.height - r, r, 0, M_PI / 2);
  cairo_arc(cr, r, size.height - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(mask);
  RegionPtr region(gdk_cairo_region_create_from_surface(mask));
  cairo_surface_destroy(mask);
  return region;
}

bool isX11(GdkDisplay* d) { return GDK_IS_X11_DISPLAY(d); }
bool isWayland(GdkDisplay* d) { return GDK_IS_WAYLAND_DISPLAY(d); }

}  // namespace

struct WidgetWindow::Impl {
  WidgetWindow* owner = nullptr;
  WindowPicture& picture;
  std::string family;
  WindowPlacement placement;
  WindowActions actions;
  GtkWidget* window = nullptr;  // owned by GTK's toplevel list; destroyed in ~Impl
  GtkWidget* area = nullptr;
  std::unique_ptr<WindowMenu> menu;
  bool layer = false;
  bool dragging = false;
  guint saveTimer = 0;
  guint replaceIdle = 0;
  std::string described;  // the description last given to screen readers
  gulong screenHandler = 0, addedHandler = 0, removedHandler = 0, monitorsHandler = 0, sizeHandler = 0;

  Impl(WindowPicture& p, std::string_view f, WindowPlacement pl, WindowActions a)
      : picture(p), family(f), placement(pl), actions(std::move(a)) {}

  GdkDisplay* display() const { return gtk_widget_get_display(window); }

  GdkMonitor* chosenMonitor() const {
    GdkDisplay* d = display();
    if (placement.monitor && *placement.monitor >= 0 && *placement.monitor < gdk_display_get_n_monitors(d))
      return gdk_display_get_monitor(d, *placement.monitor);
    if (GdkMonitor* primary = gdk_display_get_primary_monitor(d)) return primary;
    return gdk_display_get_n_monitors(d) > 0 ? gdk_display_get_monitor(d, 0) : nullptr;
  }

  static Rect workArea(GdkMonitor* m) {
    GdkRectangle r{};
    gdk_monitor_get_workarea(m, &r);
    return {double(r.x), double(r.y), double(r.width), double(r.height)};
  }

  // X11 (and Wayland without layer shell, where the compositor may ignore it):
  // the remembered place when some monitor still shows it, else the corner.
  void place() {
    if (layer) return;
    const Size size = picture.size();
    if (placement.dragged) {
      const Rect frame{placement.dragged->x, placement.dragged->y, size.width, size.height};
      for (int i = 0; i < gdk_display_get_n_monitors(display()); ++i) {
        if (reachableOn(workArea(gdk_display_get_monitor(display(), i)), frame)) {
          gtk_window_move(GTK_WINDOW(window), int(frame.x), int(frame.y));
          return;
        }
      }
    }
    if (GdkMonitor* m = chosenMonitor()) {
      const Rect r = placeInCorner(workArea(m), size, placement.corner, placement.margin, placement.offset);
      gtk_window_move(GTK_WINDOW(window), int(r.x), int(r.y));
    }
  }

  void setUpLayer() {
    gtk_layer_init_for_window(GTK_WINDOW(window));
    gtk_layer_set_namespace(GTK_WINDOW(window), "corvane-widget");
    gtk_layer_set_layer(GTK_WINDOW(window), GTK_LAYER_SHELL_LAYER_BOTTOM);
    const bool top = isTop(placement.corner), left = isLeft(placement.corner);
    const int margin = int(std::lround(placement.margin));
    gtk_layer_set_anchor(GTK_WINDOW(window), top ? GTK_LAYER_SHELL_EDGE_TOP : GTK_LAYER_SHELL_EDGE_BOTTOM, TRUE);
    gtk_layer_set_anchor(GTK_WINDOW(window), left ? GTK_LAYER_SHELL_EDGE_LEFT : GTK_LAYER_SHELL_EDGE_RIGHT, TRUE);
    gtk_layer_set_margin(GTK_WINDOW(window), top ? GTK_LAYER_SHELL_EDGE_TOP : GTK_LAYER_SHELL_EDGE_BOTTOM, margin);
    gtk_layer_set_margin(GTK_WINDOW(window), left ? GTK_LAYER_SHELL_EDGE_LEFT : GTK_LAYER_SHELL_EDGE_RIGHT,
                         margin + int(std::lround(placement.offset)));
    gtk_layer_set_exclusive_zone(GTK_WINDOW(window), 0);
    gtk_layer_set_keyboard_mode(GTK_WINDOW(window), GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
    chooseLayerMonitor();
  }

  // The chosen monitor while it exists; otherwise the compositor's choice.
  void chooseLayerMonitor() {
    GdkMonitor* m = placement.monitor ? chosenMonitor() : nullptr;
    gtk_layer_set_monitor(GTK_WINDOW(window), m);
  }

  void setUpX11() {
    // A utility window kept below: openbox (and other EWMH window managers)
    // keep it under normal windows and out of the window switcher, and,
    // unlike a desktop-type window, still let a person move it.
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_UTILITY);
    gtk_window_set_keep_below(GTK_WINDOW(window), TRUE);
    gtk_window_stick(GTK_WINDOW(window));
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window), TRUE);
    gtk_window_set_skip_pager_hint(GTK_WINDOW(window), TRUE);
    gtk_window_set_accept_focus(GTK_WINDOW(window), FALSE);
    gtk_window_set_focus_on_map(GTK_WINDOW(window), FALSE);
  }

  // Without a compositor, transparent pixels show black: cut the corners
  // with a shape of the rounded rectangle at the window's device pixels. With
  // one, no shape, so antialiased corners blend with what is behind.
  void updateShape() const {
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    if (!gdkWindow || !isX11(display())) return;
    Display* x = GDK_DISPLAY_XDISPLAY(display());
    const Window xid = GDK_WINDOW_XID(gdkWindow);
    if (gdk_screen_is_composited(gtk_widget_get_screen(window))) {
      XShapeCombineMask(x, xid, ShapeBounding, 0, 0, None, ShapeSet);
      return;
    }
    // GDK's own shape call works in logical pixels and would cut the corners
    // in steps of the scale; X shapes are in device pixels.
    const int scale = gtk_widget_get_scale_factor(window);
    RegionPtr region = roundedRegion(picture.size(), picture.cornerRadius(), scale);
    std::vector<XRectangle> rects(static_cast<std::size_t>(cairo_region_num_rectangles(region.get())));
    for (std::size_t i = 0; i < rects.size(); ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(region.get(), int(i), &r);
      rects[i] = {short(r.x), short(r.y), static_cast<unsigned short>(r.width), static_cast<unsigned short>(r.height)};
    }
    XShapeCombineRectangles(x, xid, ShapeBounding, 0, 0, rects.data(), int(rects.size()), ShapeSet, YXBanded);
  }

  void resize() {
    const Size size = picture.size();
    gtk_widget_set_size_request(area, int(std::lround(size.width)), int(std::lround(size.height)));
    gtk_window_resize(GTK_WINDOW(window), int(std::lround(size.width)), int(std::lround(size.height)));
  }

  void nameAccessible() const {
    atk_object_set_name(gtk_widget_get_accessible(area), kTitle);
    atk_object_set_name(gtk_widget_get_accessible(window), kTitle);
  }

  // Each change notifies the accessibility bridge (and through it, screen
  // readers): only a text that reads differently is set.
  void updateAccessible() {
    std::string text = picture.description();
    if (text == described) return;
    described = std::move(text);
    atk_object_set_description(gtk_widget_get_accessible(area), described.c_str());
    atk_object_set_description(gtk_widget_get_accessible(window), described.c_str());
  }

  // Monitors came or went: re-place on the next idle, once GDK has settled.
  void scheduleReplace() {
    if (replaceIdle) return;
    replaceIdle = g_idle_add(
        +[](gpointer self) -> gboolean {
          auto* impl = static_cast<Impl*>(self);
          impl->replaceIdle = 0;
          if (impl->layer) {
            impl->chooseLayerMonitor();
          } else {
            impl->place();
          }
          return G_SOURCE_REMOVE;
        },
        this);
  }

  // Signal handlers.
  static gboolean onDraw(GtkWidget* widget, cairo_t* cr, Impl* self) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    self->picture.paint(cr, gtk_widget_get_scale_factor(widget));
    return TRUE;
  }

  // On X11 a changed region is painted at once, from the host's tick,
  // instead of through GTK's frame clock: the frame clock would paint it in
  // a second pass of the main loop, and each pass costs system calls (a
  // poll and two reads of the X connection) that are most of what a tick
  // costs. GDK's own double buffer is used, so the window never shows a
  // half-painted region. Returns false where it cannot (not X11, not shown,
  // or GTK is painting).
  bool paintNow(const cairo_rectangle_int_t& damage) {
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
    onDraw(area, cr, this);
    gdk_window_end_draw_frame(top, context);
    return true;
  }

  static gboolean onButton(GtkWidget*, GdkEventButton* event, Impl* self) {
    if (event->type != GDK_BUTTON_PRESS) return FALSE;
    if (event->button == GDK_BUTTON_SECONDARY) {
      self->menu->popUp(reinterpret_cast<GdkEvent*>(event), self->family);
      return TRUE;
    }
    if (event->button == GDK_BUTTON_PRIMARY && !self->layer) {
      self->dragging = true;
      gtk_window_begin_move_drag(GTK_WINDOW(self->window), int(event->button), int(event->x_root), int(event->y_root),
                                 event->time);
      return TRUE;
    }
    return FALSE;
  }

  // During and after a drag the window manager moves the window: remember
  // where it came to rest, once it has stayed there for a moment.
  static gboolean onConfigure(GtkWidget*, GdkEventConfigure*, Impl* self) {
    if (!self->dragging) return FALSE;
    if (self->saveTimer) g_source_remove(self->saveTimer);
    self->saveTimer = g_timeout_add(
        500,
        +[](gpointer p) -> gboolean {
          auto* impl = static_cast<Impl*>(p);
          impl->saveTimer = 0;
          impl->dragging = false;
          int x = 0, y = 0;
          gtk_window_get_position(GTK_WINDOW(impl->window), &x, &y);
          impl->placement.dragged = Rect{double(x), double(y), 0, 0};
          if (impl->actions.moved) impl->actions.moved(impl->family, x, y);
          return G_SOURCE_REMOVE;
        },
        self);
    return FALSE;
  }

  static void onScale(GObject*, GParamSpec*, Impl* self) {
    self->updateShape();
    gtk_widget_queue_draw(self->area);
  }

  static void onComposited(GdkScreen*, Impl* self) {
    self->updateShape();
    gtk_widget_queue_draw(self->area);
  }

  static void onRealize(GtkWidget*, Impl* self) { self->updateShape(); }

  static void onMonitorsChanged(GdkDisplay*, GdkMonitor*, Impl* self) { self->scheduleReplace(); }
  // A monitor that changes its mode or work area keeps its GdkMonitor, and
  // one that comes back may reuse it: only the screen says so.
  static void onScreenChanged(GdkScreen*, Impl* self) { self->scheduleReplace(); }
  // On X11 the window manager sets the work area (_NET_WORKAREA on the root
  // window) after the monitors changed, often after GDK told of the change:
  // placing again when it does puts the window in the corner of what is
  // really there, not of the work area that was.
  static GdkFilterReturn onRootEvent(GdkXEvent* native, GdkEvent*, gpointer self) {
    const auto* event = static_cast<const XEvent*>(native);
    auto* impl = static_cast<Impl*>(self);
    if (event->type == PropertyNotify &&
        event->xproperty.atom ==
            gdk_x11_get_xatom_by_name_for_display(gtk_widget_get_display(impl->window), "_NET_WORKAREA"))
      impl->scheduleReplace();
    return GDK_FILTER_CONTINUE;
  }

  // The compositor closed the layer surface (its output went away, or it
  // asked so): show it again, which makes a new surface. Elsewhere a close
  // request (from a window manager or a tool) hides the window until the
  // next `run` asks for it.
  static gboolean onDelete(GtkWidget*, GdkEvent*, Impl* self) {
    if (!self->layer) {
      gtk_widget_hide(self->window);
      return TRUE;
    }
    g_idle_add(
        +[](gpointer p) -> gboolean {
          auto* impl = static_cast<Impl*>(p);
          gtk_widget_hide(impl->window);
          impl->chooseLayerMonitor();
          gtk_widget_show_all(impl->window);
          return G_SOURCE_REMOVE;
        },
        self);
    return TRUE;
  }
};

WidgetWindow::WidgetWindow(GtkApplication* app, WindowPicture& picture, std::string_view family,
                           WindowPlacement placement, WindowActions actions)
    : impl_(std::make_unique<Impl>(picture, family, placement, std::move(actions))) {
  Impl& m = *impl_;
  m.owner = this;
  m.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(m.window);
  GtkWindow* w = GTK_WINDOW(m.window);
  gtk_window_set_application(w, app);
  gtk_window_set_title(w, kTitle);
  gtk_window_set_decorated(w, FALSE);
  gtk_window_set_resizable(w, FALSE);
  gtk_widget_set_app_paintable(m.window, TRUE);
  GdkScreen* screen = gtk_widget_get_screen(m.window);
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(m.window, rgba);

  GdkDisplay* display = gtk_widget_get_display(m.window);
  m.layer = isWayland(display) && gtk_layer_is_supported();
  if (m.layer) {
    m.setUpLayer();
  } else if (isWayland(display)) {
    std::fprintf(stderr,
                 "corvane-widget: this compositor offers no layer shell; placement is left to the compositor\n");
  } else if (isX11(display)) {
    m.setUpX11();
  }

  m.area = gtk_drawing_area_new();
  gtk_widget_add_events(m.area, GDK_BUTTON_PRESS_MASK);
  gtk_container_add(GTK_CONTAINER(m.window), m.area);
  m.resize();
  MenuActions menu{m.actions.reload,
                   [&m](std::string_view to) {
                     if (m.actions.resize) m.actions.resize(m.family, to);
                   },
                   m.actions.quit};
  m.menu = std::make_unique<WindowMenu>(m.area, std::move(menu));

  g_signal_connect(m.area, "draw", G_CALLBACK(Impl::onDraw), &m);
  g_signal_connect(m.area, "button-press-event", G_CALLBACK(Impl::onButton), &m);
  g_signal_connect(m.area, "notify::scale-factor", G_CALLBACK(Impl::onScale), &m);
  g_signal_connect(m.window, "configure-event", G_CALLBACK(Impl::onConfigure), &m);
  g_signal_connect(m.window, "realize", G_CALLBACK(Impl::onRealize), &m);
  g_signal_connect(m.window, "delete-event", G_CALLBACK(Impl::onDelete), &m);
  m.screenHandler = g_signal_connect(screen, "composited-changed", G_CALLBACK(Impl::onComposited), &m);
  m.addedHandler = g_signal_connect(display, "monitor-added", G_CALLBACK(Impl::onMonitorsChanged), &m);
  m.removedHandler = g_signal_connect(display, "monitor-removed", G_CALLBACK(Impl::onMonitorsChanged), &m);
  m.monitorsHandler = g_signal_connect(screen, "monitors-changed", G_CALLBACK(Impl::onScreenChanged), &m);
  m.sizeHandler = g_signal_connect(screen, "size-changed", G_CALLBACK(Impl::onScreenChanged), &m);
  if (GDK_IS_X11_DISPLAY(display)) {
    GdkWindow* root = gdk_screen_get_root_window(screen);
    gdk_window_set_events(root, GdkEventMask(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
    gdk_window_add_filter(root, &Impl::onRootEvent, &m);
  }
  m.nameAccessible();
  m.updateAccessible();
  m.place();
}

WidgetWindow::~WidgetWindow() {
  Impl& m = *impl_;
  if (m.saveTimer) g_source_remove(m.saveTimer);
  if (m.replaceIdle) g_source_remove(m.replaceIdle);
  g_signal_handler_disconnect(gtk_widget_get_screen(m.window), m.screenHandler);
  g_signal_handler_disconnect(gtk_widget_get_screen(m.window), m.monitorsHandler);
  g_signal_handler_disconnect(gtk_widget_get_screen(m.window), m.sizeHandler);
  g_signal_handler_disconnect(gtk_widget_get_display(m.window), m.addedHandler);
  g_signal_handler_disconnect(gtk_widget_get_display(m.window), m.removedHandler);
  if (GDK_IS_X11_DISPLAY(gtk_widget_get_display(m.window)))
    gdk_window_remove_filter(gdk_screen_get_root_window(gtk_widget_get_screen(m.window)), &Impl::onRootEvent, &m);
  m.menu.reset();
  gtk_widget_destroy(m.window);
  g_object_unref(m.window);
}

void WidgetWindow::present() {
  gtk_widget_show_all(impl_->window);
  if (!impl_->layer) {
    // Presenting would raise it above other windows: keep it below, only
    // mapped again if it was hidden.
    impl_->place();
  }
}

void WidgetWindow::pictureChanged(const std::optional<Rect>& damage) {
  if (!damage) {
    gtk_widget_queue_draw(impl_->area);
  } else {
    // Whole pixels around what changed.
    const int x = int(std::floor(damage->x)), y = int(std::floor(damage->y));
    const cairo_rectangle_int_t pixels{x, y, int(std::ceil(damage->maxX())) - x, int(std::ceil(damage->maxY())) - y};
    if (!impl_->paintNow(pixels)) gtk_widget_queue_draw_area(impl_->area, x, y, pixels.width, pixels.height);
  }
  impl_->updateAccessible();
}

void WidgetWindow::familyChanged(std::string_view family) {
  impl_->family = family;
  impl_->resize();
  impl_->updateShape();
  impl_->place();
  pictureChanged();
}

GtkWindow* WidgetWindow::window() const { return GTK_WINDOW(impl_->window); }
int WidgetWindow::scaleFactor() const { return gtk_widget_get_scale_factor(impl_->window); }
bool WidgetWindow::isLayerSurface() const { return impl_->layer; }

bool openDisplay() {
  // GDK on X11 otherwise probes OpenGL when it opens a display (to choose
  // visuals), loading Mesa and LLVM: some 50 MB resident for a window that
  // never draws with GL. Cairo's image surfaces do all our drawing. A
  // person's own GDK_GL setting wins.
  g_setenv("GDK_GL", "disable", FALSE);
  return gtk_init_check(nullptr, nullptr);
}

namespace {

void (*gLost)() = nullptr;  // the one process-wide handler Xlib's C callback can reach

int onXIoError(Display*) {
  if (gLost) gLost();
  _exit(1);  // Xlib forbids returning
}

}  // namespace

void watchDisplayLoss(void (*lost)()) {
  gLost = lost;
  GdkDisplay* display = gdk_display_get_default();
  g_signal_connect(display, "closed", G_CALLBACK(+[](GdkDisplay*, gboolean, gpointer) { gLost(); }), nullptr);
  int fd = -1;
  if (isX11(display)) {
    fd = ConnectionNumber(GDK_DISPLAY_XDISPLAY(display));
    XSetIOErrorHandler(onXIoError);
  } else if (isWayland(display)) {
    fd = wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
  }
  if (fd < 0) return;
  // Ahead of GDK's own event source, which would end the process with its
  // own message (or abort) on a broken connection.
  g_unix_fd_add_full(
      G_PRIORITY_HIGH, fd, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR),
      +[](gint, GIOCondition, gpointer) -> gboolean {
        gLost();
        return G_SOURCE_REMOVE;
      },
      nullptr, nullptr);
}

}  // namespace corvane
