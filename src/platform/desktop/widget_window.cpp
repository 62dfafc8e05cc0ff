#include "platform/desktop/widget_window.hpp"

#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/desktop/accessibility.hpp"
#include "platform/desktop/display_session.hpp"
#include "platform/desktop/layer_surface.hpp"
#include "platform/desktop/shell_keeper.hpp"
#include "platform/desktop/window_menu.hpp"
#include "platform/desktop/window_placer.hpp"
#include "platform/desktop/x11_window.hpp"
#include "support/fault.hpp"

namespace corvane {
namespace {

constexpr char kTitle[] = "Corvane today";

}  // namespace

struct WidgetWindow::Impl {
  WindowContent& content;
  WindowActions actions;
  GtkWidget* window = nullptr;  // owned by GTK's toplevel list; destroyed in ~WidgetWindow
  GtkWidget* area = nullptr;
  bool layer = false;
  std::unique_ptr<WindowMenu> menu;
  std::unique_ptr<WindowPlacer> placer;
  std::unique_ptr<AccessibleText> accessible;
  guint reshowIdle = 0;
  gulong compositedHandler = 0;
  // A left press not yet a drag: it becomes one when the pointer moves
  // further than the drag threshold with the button held, and a click (the
  // application opens) when the button comes up before.
  std::optional<GdkEventButton> press;
  // When the last click opened the application (event time, ms): GTK
  // delivers both clicks of a double click, and one gesture opens it once.
  std::optional<guint32> opened;

  Impl(WindowContent& c, WindowActions a) : content(c), actions(std::move(a)) {}

  void resize() const {
    const Size size = content.size();
    gtk_widget_set_size_request(area, int(std::lround(size.width)), int(std::lround(size.height)));
    gtk_window_resize(GTK_WINDOW(window), int(std::lround(size.width)), int(std::lround(size.height)));
  }

  void updateShape() const { x11::updateShape(window, content.size(), content.cornerRadius()); }

  void paint(cairo_t* cr) const {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    content.paint(cr, gtk_widget_get_scale_factor(area));
  }

  static gboolean onDraw(GtkWidget*, cairo_t* cr, Impl* self) {
    contained("drawing a widget", [&] { self->paint(cr); });
    return TRUE;
  }

  static gboolean onButton(GtkWidget*, GdkEventButton* event, Impl* self) {
    if (event->type != GDK_BUTTON_PRESS) return FALSE;
    bool handled = false;
    contained("a click on a widget", [&] {
      if (event->button == GDK_BUTTON_SECONDARY) {
        self->press.reset();
        self->menu->popUp(reinterpret_cast<GdkEvent*>(event), self->content.family());
        handled = true;
      } else if (event->button == GDK_BUTTON_PRIMARY) {
        self->press = *event;
        handled = true;
      }
    });
    return handled ? TRUE : FALSE;
  }

  static gboolean onMotion(GtkWidget*, GdkEventMotion* event, Impl* self) {
    bool moved = false;
    contained("dragging a widget", [&] { moved = self->placer->dragMotion(event->x_root, event->y_root); });
    if (moved) return TRUE;
    if (!self->press || !(event->state & GDK_BUTTON1_MASK)) return FALSE;
    int threshold = 8;
    g_object_get(gtk_widget_get_settings(self->area), "gtk-dnd-drag-threshold", &threshold, nullptr);
    if (std::abs(event->x_root - self->press->x_root) <= threshold &&
        std::abs(event->y_root - self->press->y_root) <= threshold)
      return FALSE;
    const GdkEventButton press = *self->press;
    self->press.reset();
    contained("dragging a widget", [&] { self->placer->startDrag(&press); });
    return TRUE;
  }

  static gboolean onRelease(GtkWidget*, GdkEventButton* event, Impl* self) {
    if (event->button == GDK_BUTTON_PRIMARY) {
      bool ended = false;
      contained("dragging a widget", [&] { ended = self->placer->dragRelease(event->x_root, event->y_root); });
      if (ended) return TRUE;
    }
    if (event->button != GDK_BUTTON_PRIMARY || !self->press) return FALSE;
    self->press.reset();
    int doubleClick = 400;
    g_object_get(gtk_widget_get_settings(self->area), "gtk-double-click-time", &doubleClick, nullptr);
    // Unsigned: the server's clock wraps around every 49 days.
    if (self->opened && event->time - *self->opened <= static_cast<guint32>(std::max(doubleClick, 0))) return TRUE;
    self->opened = event->time;
    contained("a click on a widget", [&] {
      if (self->actions.menu.open) self->actions.menu.open(event->time);
    });
    return TRUE;
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

  // The compositor closed the layer surface (its output went away, or it
  // asked so): show it again, which makes a new surface. Elsewhere a close
  // request (from a window manager or a tool) hides the window until the
  // next `run` asks for it.
  static gboolean onDelete(GtkWidget*, GdkEvent*, Impl* self) {
    if (!self->layer) {
      gtk_widget_hide(self->window);
      return TRUE;
    }
    if (!self->reshowIdle)
      self->reshowIdle = g_idle_add(
          +[](gpointer p) -> gboolean {
            auto* impl = static_cast<Impl*>(p);
            impl->reshowIdle = 0;
            gtk_widget_hide(impl->window);
            impl->placer->place();  // the monitor to show on, chosen again
            gtk_widget_show_all(impl->window);
            return G_SOURCE_REMOVE;
          },
          self);
    return TRUE;
  }
};

WidgetWindow::WidgetWindow(WindowContent& content, WindowPlacement placement, WindowActions actions)
    : impl_(std::make_unique<Impl>(content, std::move(actions))) {
  Impl& m = *impl_;
  m.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(m.window);
  GtkWindow* w = GTK_WINDOW(m.window);
  gtk_window_set_title(w, kTitle);
  gtk_window_set_decorated(w, FALSE);
  gtk_window_set_resizable(w, FALSE);
  gtk_widget_set_app_paintable(m.window, TRUE);
  GdkScreen* screen = gtk_widget_get_screen(m.window);
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(m.window, rgba);

  switch (displayKind()) {
    case DisplayKind::waylandLayer:
      m.layer = true;
      layer::setUp(w, placement);
      break;
    case DisplayKind::waylandPlain:
      // GNOME Shell's keeper places and keeps what it started.
      if (!shell::Keeper::ofThisProcess())
        std::fprintf(stderr,
                     "corvane-widget: this compositor offers no layer shell; placement is left to the compositor\n");
      break;
    case DisplayKind::x11: x11::setDesktopHints(w); break;
    case DisplayKind::other: break;
  }

  m.area = gtk_drawing_area_new();
  gtk_widget_add_events(m.area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON1_MOTION_MASK);
  gtk_container_add(GTK_CONTAINER(m.window), m.area);
  m.resize();
  m.menu = std::make_unique<WindowMenu>(m.area, m.actions.menu);
  m.placer = std::make_unique<WindowPlacer>(
      w, placement, m.layer, [&m] { return m.content.size(); },
      [&m](double x, double y) {
        if (m.actions.moved) m.actions.moved(x, y);
      },
      m.actions.taken);
  m.accessible = std::make_unique<AccessibleText>(m.window, m.area, kTitle);

  g_signal_connect(m.area, "draw", G_CALLBACK(Impl::onDraw), &m);
  g_signal_connect(m.area, "button-press-event", G_CALLBACK(Impl::onButton), &m);
  g_signal_connect(m.area, "motion-notify-event", G_CALLBACK(Impl::onMotion), &m);
  g_signal_connect(m.area, "button-release-event", G_CALLBACK(Impl::onRelease), &m);
  g_signal_connect(m.area, "notify::scale-factor", G_CALLBACK(Impl::onScale), &m);
  g_signal_connect(m.window, "realize", G_CALLBACK(Impl::onRealize), &m);
  g_signal_connect(m.window, "delete-event", G_CALLBACK(Impl::onDelete), &m);
  m.compositedHandler = g_signal_connect(screen, "composited-changed", G_CALLBACK(Impl::onComposited), &m);
  m.accessible->describe(content.description());
  m.placer->place();
}

WidgetWindow::~WidgetWindow() {
  Impl& m = *impl_;
  if (m.reshowIdle) g_source_remove(m.reshowIdle);
  g_signal_handler_disconnect(gtk_widget_get_screen(m.window), m.compositedHandler);
  m.placer.reset();
  m.menu.reset();
  gtk_widget_destroy(m.window);
  g_object_unref(m.window);
}

void WidgetWindow::present() {
  gtk_widget_show_all(impl_->window);
  // Presenting would raise it above other windows: keep it below, only
  // mapped again if it was hidden.
  if (!impl_->layer) impl_->placer->place();
}

void WidgetWindow::contentChanged(const std::optional<Rect>& damage) {
  Impl& m = *impl_;
  if (!damage) {
    gtk_widget_queue_draw(m.area);
  } else {
    // Whole pixels around what changed.
    const int x = int(std::floor(damage->x)), y = int(std::floor(damage->y));
    const cairo_rectangle_int_t pixels{x, y, int(std::ceil(damage->maxX())) - x, int(std::ceil(damage->maxY())) - y};
    const bool painted = x11::paintNow(m.window, m.area, pixels,
                                       [&m](cairo_t* cr) { contained("drawing a widget", [&] { m.paint(cr); }); });
    if (!painted) gtk_widget_queue_draw_area(m.area, x, y, pixels.width, pixels.height);
  }
  m.accessible->describe(m.content.description());
}

void WidgetWindow::familyChanged() {
  impl_->resize();
  impl_->updateShape();
  impl_->placer->place();
  contentChanged();
}

void WidgetWindow::place() { impl_->placer->place(); }

std::optional<Rect> WidgetWindow::frame() const { return impl_->placer->frame(); }

void WidgetWindow::moveToCorner() {
  impl_->placer->forgetDragged();
  impl_->placer->place();
}

void WidgetWindow::setLocked(bool locked) { impl_->placer->setLocked(locked); }

GtkWindow* WidgetWindow::window() const { return GTK_WINDOW(impl_->window); }
bool WidgetWindow::isLayerSurface() const { return impl_->layer; }

}  // namespace corvane
