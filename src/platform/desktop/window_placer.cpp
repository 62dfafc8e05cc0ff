#include "platform/desktop/window_placer.hpp"

#include <cmath>
#include <cstdio>

#include "platform/desktop/layer_surface.hpp"
#include "support/fault.hpp"

namespace corvane {
namespace {

// How often the button is looked at while a drag is under way (ms).
constexpr guint kDragPollMs = 50;

// Where the window's frame stands now, asked of the display server: GDK's
// own idea of it waits for configure events that may not have been read.
void framePosition(GtkWindow* window, int& x, int& y) {
  x = y = 0;
  if (GdkWindow* w = gtk_widget_get_window(GTK_WIDGET(window))) gdk_window_get_root_origin(w, &x, &y);
}

}  // namespace

WindowPlacer::WindowPlacer(GtkWindow* window, WindowPlacement placement, bool layerSurface, std::function<Size()> size,
                           std::function<void(double, double)> dragged, std::function<std::vector<Rect>()> taken)
    : window_(window),
      placement_(placement),
      layer_(layerSurface),
      size_(std::move(size)),
      dragged_(std::move(dragged)),
      taken_(std::move(taken)) {
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window_));
  GdkScreen* screen = gtk_widget_get_screen(GTK_WIDGET(window_));
  addedHandler_ = g_signal_connect(display, "monitor-added", G_CALLBACK(onMonitorsChanged), this);
  removedHandler_ = g_signal_connect(display, "monitor-removed", G_CALLBACK(onMonitorsChanged), this);
  // A monitor that changes its mode or work area keeps its GdkMonitor, and
  // one that comes back may reuse it: only the screen says so.
  monitorsHandler_ = g_signal_connect(screen, "monitors-changed", G_CALLBACK(onScreenChanged), this);
  sizeHandler_ = g_signal_connect(screen, "size-changed", G_CALLBACK(onScreenChanged), this);
  workArea_ = std::make_unique<x11::WorkAreaWatch>(screen, [this] { placeSoon(); });
  keeper_ = layer_ ? nullptr : shell::Keeper::ofThisProcess();
  if (keeper_) {
    keeperPath_ = keeper_->name(window_);
    keeperWatch_ =
        keeper_->watch([this] { placeSoon(); }, keeperPath_, [this](int x, int y) { dropped(double(x), double(y)); });
  }
}

WindowPlacer::~WindowPlacer() {
  if (keeper_) keeper_->unwatch(keeperWatch_);
  if (pollTimer_) g_source_remove(pollTimer_);
  if (placeIdle_) g_source_remove(placeIdle_);
  GdkScreen* screen = gtk_widget_get_screen(GTK_WIDGET(window_));
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window_));
  g_signal_handler_disconnect(screen, monitorsHandler_);
  g_signal_handler_disconnect(screen, sizeHandler_);
  g_signal_handler_disconnect(display, addedHandler_);
  g_signal_handler_disconnect(display, removedHandler_);
}

GdkMonitor* WindowPlacer::chosenMonitor() const {
  GdkDisplay* d = gtk_widget_get_display(GTK_WIDGET(window_));
  if (placement_.monitor && *placement_.monitor >= 0 && *placement_.monitor < gdk_display_get_n_monitors(d))
    return gdk_display_get_monitor(d, *placement_.monitor);
  if (GdkMonitor* primary = gdk_display_get_primary_monitor(d)) return primary;
  return gdk_display_get_n_monitors(d) > 0 ? gdk_display_get_monitor(d, 0) : nullptr;
}

Rect WindowPlacer::workArea(GdkMonitor* m) const {
  GdkRectangle r{};
  if (keeper_) {
    gdk_monitor_get_geometry(m, &r);
    return keeper_->workArea({double(r.x), double(r.y), double(r.width), double(r.height)});
  }
  gdk_monitor_get_workarea(m, &r);
  return {double(r.x), double(r.y), double(r.width), double(r.height)};
}

void WindowPlacer::moveTo(int x, int y) {
  if (keeper_)
    keeper_->move(keeperPath_, x, y);
  else
    gtk_window_move(window_, x, y);
}

// A drag the keeper saw end: where it was let go is where it goes from now
// on, unless it did not move.
void WindowPlacer::dropped(double x, double y) {
  if (frame_ && frame_->x == x && frame_->y == y) return;
  const Size size = size_();
  frame_ = Rect{x, y, size.width, size.height};
  placement_.dragged = frame_;
  if (dragged_) dragged_(x, y);
}

// X11 (and Wayland without layer shell, where the compositor may ignore it):
// the remembered place when some monitor still shows it, else the first
// free spot from the corner; either way inside that monitor's work area.
void WindowPlacer::place() {
  if (layer_) {
    layer::anchor(window_, placement_);
    layer::chooseMonitor(window_, placement_.monitor);
    return;
  }
  const Size size = size_();
  GdkDisplay* d = gtk_widget_get_display(GTK_WIDGET(window_));
  std::optional<Rect> frame;
  std::optional<Rect> area;
  if (placement_.dragged) {
    const Rect dragged{placement_.dragged->x, placement_.dragged->y, size.width, size.height};
    for (int i = 0; i < gdk_display_get_n_monitors(d) && !frame; ++i) {
      area = workArea(gdk_display_get_monitor(d, i));
      if (reachableOn(*area, dragged)) frame = keptInside(*area, dragged);
    }
  }
  if (!frame) {
    GdkMonitor* m = chosenMonitor();
    if (!m) return;
    area = workArea(m);
    frame = firstFreeSpot(*area, size, placement_.corner, placement_.margin, taken_ ? taken_() : std::vector<Rect>{});
  }
  if (!fitsIn(*area, size) && !saidTooLarge_) {
    saidTooLarge_ = true;
    std::fprintf(stderr,
                 "corvane-widget: the widget (%g×%g) is larger than its monitor's work area (%g×%g); its top-left "
                 "corner is kept in view\n",
                 size.width, size.height, area->width, area->height);
  }
  frame_ = frame;
  moveTo(int(frame->x), int(frame->y));
}

void WindowPlacer::placeSoon() {
  if (placeIdle_) return;
  placeIdle_ = g_idle_add(
      +[](gpointer self) -> gboolean {
        auto* placer = static_cast<WindowPlacer*>(self);
        placer->placeIdle_ = 0;
        contained("placing a widget", [placer] { placer->place(); });
        return G_SOURCE_REMOVE;
      },
      this);
}

void WindowPlacer::startDrag(const GdkEventButton* event) {
  if (layer_ || locked_) return;  // the compositor keeps a layer surface where it is anchored
  if (keeper_) {
    // The Shell moves it and the keeper says where it was let go.
    gtk_window_begin_move_drag(window_, int(event->button), int(event->x_root), int(event->y_root), event->time);
    return;
  }
  int x = 0, y = 0;
  framePosition(window_, x, y);
  drag_.pressed(x, y);
  // Under Xwayland the compositor's own move takes the pointer away from
  // the X server: the release never reaches it, the X pointer keeps the
  // button down (XQueryPointer), and the poll below would wait for ever. So
  // the window follows the pointer itself: the press's implicit grab keeps
  // the motion and the release coming to it.
  if (x11::isXwayland(gtk_widget_get_display(GTK_WIDGET(window_)))) {
    grab_ = std::pair{event->x_root - x, event->y_root - y};
    return;
  }
  gtk_window_begin_move_drag(window_, int(event->button), int(event->x_root), int(event->y_root), event->time);
  if (!pollTimer_) pollTimer_ = g_timeout_add(kDragPollMs, &WindowPlacer::onPoll, this);
}

bool WindowPlacer::dragMotion(double xRoot, double yRoot) {
  if (!grab_) return false;
  gtk_window_move(window_, int(std::lround(xRoot - grab_->first)), int(std::lround(yRoot - grab_->second)));
  return true;
}

bool WindowPlacer::dragRelease(double xRoot, double yRoot) {
  if (!grab_) return false;
  const int x = int(std::lround(xRoot - grab_->first)), y = int(std::lround(yRoot - grab_->second));
  grab_.reset();
  gtk_window_move(window_, x, y);
  // Where it was let go is where it goes from now on, also on a new monitor layout.
  if (auto place = drag_.polled(false, x, y)) {
    placement_.dragged = *place;
    if (dragged_) dragged_(place->x, place->y);
  }
  x11::tieToDesktop(GTK_WIDGET(window_));
  return true;
}

gboolean WindowPlacer::onPoll(gpointer self) {
  auto* placer = static_cast<WindowPlacer*>(self);
  bool going = false;
  contained("following a drag", [placer, &going] {
    GdkDisplay* d = gtk_widget_get_display(GTK_WIDGET(placer->window_));
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
    GdkModifierType mask{};
    gdk_device_get_state(pointer, gdk_screen_get_root_window(gtk_widget_get_screen(GTK_WIDGET(placer->window_))),
                         nullptr, &mask);
    int x = 0, y = 0;
    framePosition(placer->window_, x, y);
    if (auto place = placer->drag_.polled((mask & GDK_BUTTON1_MASK) != 0, x, y)) {
      // Where it was let go is where it goes from now on, also on a new monitor layout.
      placer->placement_.dragged = *place;
      if (placer->dragged_) placer->dragged_(place->x, place->y);
      x11::tieToDesktop(GTK_WIDGET(placer->window_));
    }
    going = placer->drag_.dragging();
  });
  if (going) return G_SOURCE_CONTINUE;
  placer->pollTimer_ = 0;
  return G_SOURCE_REMOVE;
}

void WindowPlacer::onMonitorsChanged(GdkDisplay*, GdkMonitor*, WindowPlacer* self) { self->placeSoon(); }
void WindowPlacer::onScreenChanged(GdkScreen*, WindowPlacer* self) { self->placeSoon(); }

}  // namespace corvane
