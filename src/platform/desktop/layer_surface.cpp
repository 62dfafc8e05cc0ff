#include "platform/desktop/layer_surface.hpp"

#include <gtk-layer-shell.h>

#include <cmath>
#include <cstring>

#include "platform/desktop/widget_window.hpp"

namespace corvane::layer {

namespace {

constexpr char kNamespace[] = "corvane-widget";

// KWin types a layer surface by its namespace and lifts desktop windows
// above every other window while it shows the desktop; an ordinary layer
// surface on the bottom layer then vanishes under the desktop window. Only
// a surface typed as a notification stands above it, also when the desktop
// window is raised by a click. KWin 5.27 applies a new namespace (or layer)
// only to a new surface, so the surface is mapped again each time KWin
// starts or stops showing the desktop (org.kde.KWin on the session bus).
void showAs(GtkWindow* window, bool showingDesktop) {
  const char* wanted = showingDesktop ? "notification" : kNamespace;
  if (std::strcmp(gtk_layer_get_namespace(window), wanted) == 0) return;
  const bool shown = gtk_widget_get_visible(GTK_WIDGET(window));
  if (shown) gtk_widget_hide(GTK_WIDGET(window));
  gtk_layer_set_namespace(window, wanted);
  if (shown) gtk_widget_show_all(GTK_WIDGET(window));
}

void onShowingDesktop(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                      gpointer window) {
  gboolean showing = FALSE;
  if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) g_variant_get(parameters, "(b)", &showing);
  showAs(GTK_WINDOW(window), showing != FALSE);
}

struct ShowDesktopWatch {
  GDBusConnection* bus;
  guint subscription;
};

void followShowDesktop(GtkWindow* window) {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus) return;
  auto* watch = new ShowDesktopWatch{
      bus, g_dbus_connection_signal_subscribe(bus, "org.kde.KWin", "org.kde.KWin", "showingDesktopChanged", "/KWin",
                                              nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onShowingDesktop, window, nullptr)};
  g_object_set_data_full(
      G_OBJECT(window), "corvane-show-desktop-watch", watch, +[](gpointer p) {
        auto* w = static_cast<ShowDesktopWatch*>(p);
        g_dbus_connection_signal_unsubscribe(w->bus, w->subscription);
        g_object_unref(w->bus);
        delete w;
      });
}

}  // namespace

void setUp(GtkWindow* window, const WindowPlacement& placement) {
  gtk_layer_init_for_window(window);
  gtk_layer_set_namespace(window, kNamespace);
  followShowDesktop(window);
  gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BOTTOM);
  anchor(window, placement);
  gtk_layer_set_exclusive_zone(window, 0);
  gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
  chooseMonitor(window, placement.monitor);
}

void anchor(GtkWindow* window, const WindowPlacement& placement) {
  const bool top = isTop(placement.corner), left = isLeft(placement.corner);
  const int margin = int(std::lround(placement.margin));
  gtk_layer_set_anchor(window, top ? GTK_LAYER_SHELL_EDGE_TOP : GTK_LAYER_SHELL_EDGE_BOTTOM, TRUE);
  gtk_layer_set_anchor(window, left ? GTK_LAYER_SHELL_EDGE_LEFT : GTK_LAYER_SHELL_EDGE_RIGHT, TRUE);
  gtk_layer_set_margin(window, top ? GTK_LAYER_SHELL_EDGE_TOP : GTK_LAYER_SHELL_EDGE_BOTTOM, margin);
  gtk_layer_set_margin(window, left ? GTK_LAYER_SHELL_EDGE_LEFT : GTK_LAYER_SHELL_EDGE_RIGHT,
                       margin + int(std::lround(placement.offset)));
}

void chooseMonitor(GtkWindow* window, const std::optional<int>& monitor) {
  GdkDisplay* d = gtk_widget_get_display(GTK_WIDGET(window));
  GdkMonitor* m = nullptr;
  if (monitor && *monitor >= 0 && *monitor < gdk_display_get_n_monitors(d)) m = gdk_display_get_monitor(d, *monitor);
  gtk_layer_set_monitor(window, m);
}

}  // namespace corvane::layer
