#include "platform/desktop/layer_surface.hpp"

#include <gtk-layer-shell.h>

#include <cmath>

#include "platform/desktop/widget_window.hpp"

namespace corvane::layer {

void setUp(GtkWindow* window, const WindowPlacement& placement) {
  gtk_layer_init_for_window(window);
  gtk_layer_set_namespace(window, "corvane-widget");
  gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BOTTOM);
  const bool top = isTop(placement.corner), left = isLeft(placement.corner);
  const int margin = int(std::lround(placement.margin));
  gtk_layer_set_anchor(window, top ? GTK_LAYER_SHELL_EDGE_TOP : GTK_LAYER_SHELL_EDGE_BOTTOM, TRUE);
  gtk_layer_set_anchor(window, left ? GTK_LAYER_SHELL_EDGE_LEFT : GTK_LAYER_SHELL_EDGE_RIGHT, TRUE);
  gtk_layer_set_margin(window, top ? GTK_LAYER_SHELL_EDGE_TOP : GTK_LAYER_SHELL_EDGE_BOTTOM, margin);
  gtk_layer_set_margin(window, left ? GTK_LAYER_SHELL_EDGE_LEFT : GTK_LAYER_SHELL_EDGE_RIGHT,
                       margin + int(std::lround(placement.offset)));
  gtk_layer_set_exclusive_zone(window, 0);
  gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
  chooseMonitor(window, placement.monitor);
}

void chooseMonitor(GtkWindow* window, const std::optional<int>& monitor) {
  GdkDisplay* d = gtk_widget_get_display(GTK_WIDGET(window));
  GdkMonitor* m = nullptr;
  if (monitor && *monitor >= 0 && *monitor < gdk_display_get_n_monitors(d)) m = gdk_display_get_monitor(d, *monitor);
  gtk_layer_set_monitor(window, m);
}

}  // namespace corvane::layer
