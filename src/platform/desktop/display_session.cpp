#include "platform/desktop/display_session.hpp"

#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk-layer-shell.h>
#include <gtk/gtk.h>
#include <unistd.h>

namespace corvane {

bool openDisplay() {
  // GDK on X11 otherwise probes OpenGL when it opens a display (to choose
  // visuals), loading Mesa and LLVM: some 50 MB resident for a window that
  // never draws with GL. Cairo's image surfaces do all our drawing. A
  // person's own GDK_GL setting wins.
  g_setenv("GDK_GL", "disable", FALSE);
  return gtk_init_check(nullptr, nullptr);
}

DisplayKind displayKind() {
  GdkDisplay* d = gdk_display_get_default();
  if (GDK_IS_X11_DISPLAY(d)) return DisplayKind::x11;
  if (GDK_IS_WAYLAND_DISPLAY(d))
    return gtk_layer_is_supported() ? DisplayKind::waylandLayer : DisplayKind::waylandPlain;
  return DisplayKind::other;
}

int monitorScale(const std::optional<int>& monitor) {
  GdkDisplay* d = gdk_display_get_default();
  GdkMonitor* m = nullptr;
  if (monitor && *monitor >= 0 && *monitor < gdk_display_get_n_monitors(d)) m = gdk_display_get_monitor(d, *monitor);
  if (!m) m = gdk_display_get_primary_monitor(d);
  if (!m && gdk_display_get_n_monitors(d) > 0) m = gdk_display_get_monitor(d, 0);
  return m ? gdk_monitor_get_scale_factor(m) : 1;
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
  if (GDK_IS_X11_DISPLAY(display)) {
    fd = ConnectionNumber(GDK_DISPLAY_XDISPLAY(display));
    XSetIOErrorHandler(onXIoError);
  } else if (GDK_IS_WAYLAND_DISPLAY(display)) {
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
