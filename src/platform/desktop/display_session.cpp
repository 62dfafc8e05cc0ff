#include "platform/desktop/display_session.hpp"

#include <X11/Xlib.h>
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk-layer-shell.h>
#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace corvane {
namespace {

bool named(const char* variable) {
  const char* v = std::getenv(variable);
  return v && *v;
}

// Whether the compositor lists the layer-shell global.
bool offersLayerShell(wl_display* display) {
  bool found = false;
  static const wl_registry_listener listener = {
      [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
        if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0) *static_cast<bool*>(data) = true;
      },
      [](void*, wl_registry*, uint32_t) {},
  };
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &found);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  return found;
}

// How long the X server may take to answer one probe (seconds).
constexpr double kXPatience = 5;

// Whether the X display DISPLAY names answers within `seconds`. On GNOME
// the X socket is mutter's: XOpenDisplay returns only once Xwayland and the
// session's X11 services are up, and never when they fail to start, so it
// is asked in a child process that is given up on after the deadline. The
// program has one thread before GTK starts: forking is safe.
bool xAnswersWithin(double seconds) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    Display* d = XOpenDisplay(nullptr);
    ::_exit(d ? 0 : 1);  // the socket closes with the process
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  return false;
}

// Whether the compositor of the display opened offers layer shell, as the
// probe found it: gtk-layer-shell's own check warns on stderr where it is
// missing, which GNOME always is.
std::optional<bool> gLayerShell;

DisplayProbe probe() {
  DisplayProbe p;
  p.waylandNamed = named("WAYLAND_DISPLAY");
  p.x11Named = named("DISPLAY");
  if (const char* b = std::getenv("GDK_BACKEND")) p.requestedBackend = b;
  if (named("WAYLAND_SOCKET")) {
    // A connection the compositor made for this process (GNOME Shell's
    // keeper starts it so): it can be opened once, by GDK, and is the
    // compositor's own client only through it. GNOME offers no layer shell.
    p.waylandNamed = p.waylandAnswers = true;
  } else if (p.waylandNamed) {
    if (wl_display* d = wl_display_connect(nullptr)) {
      p.waylandAnswers = true;
      p.layerShell = offersLayerShell(d);
      wl_display_disconnect(d);
    }
  }
  // X is asked only where it may be used: connecting to GNOME's X socket
  // starts Xwayland.
  const bool mayUseX = !p.waylandAnswers || !p.layerShell;
  if (p.x11Named && mayUseX) p.x11Answers = xAnswersWithin(kXPatience);
  return p;
}

}  // namespace

BackendChoice chooseBackend(const DisplayProbe& p) {
  if (!p.requestedBackend.empty()) return {};
  if (p.waylandAnswers && !p.layerShell && p.x11Answers)
    return {"x11",
            "corvane-widget: this compositor offers no layer shell; the widget uses X11 (Xwayland), whose window "
            "hints keep it below and on every workspace"};
  if (p.waylandAnswers) return {"wayland", ""};
  if (p.x11Answers) return {"x11", ""};
  return {};
}

DisplayOpened openDisplay(double patience) {
  // GDK on X11 otherwise probes OpenGL when it opens a display (to choose
  // visuals), loading Mesa and LLVM: some 50 MB resident for a window that
  // never draws with GL. Cairo's image surfaces do all our drawing. A
  // person's own GDK_GL setting wins.
  const bool ownGl = !g_getenv("GDK_GL");
  g_setenv("GDK_GL", "disable", FALSE);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(patience);
  bool said = false;
  for (;;) {
    const DisplayProbe p = probe();
    if (!p.waylandNamed && !p.x11Named) return DisplayOpened::noneNamed;
    // A named display that answers: take it (and another named one that
    // does not answer yet is not waited for).
    if (p.waylandAnswers || p.x11Answers) {
      const BackendChoice choice = chooseBackend(p);
      if (!choice.allowed.empty()) gdk_set_allowed_backends(choice.allowed.c_str());
      if (!choice.note.empty()) std::fprintf(stderr, "%s\n", choice.note.c_str());
      if (p.waylandAnswers) gLayerShell = p.layerShell;
      if (gtk_init_check(nullptr, nullptr)) {
        // GDK has read it: what the widget starts (the application) must
        // not inherit a setting that is ours.
        if (ownGl) g_unsetenv("GDK_GL");
        return DisplayOpened::yes;
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) return DisplayOpened::noAnswer;
    if (!said) {
      std::fprintf(stderr, "corvane-widget: waiting for the display to accept the widget (at most %.0f s)\n", patience);
      said = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
}

DisplayKind displayKind() {
  GdkDisplay* d = gdk_display_get_default();
  if (GDK_IS_X11_DISPLAY(d)) return DisplayKind::x11;
  if (GDK_IS_WAYLAND_DISPLAY(d))
    return (gLayerShell ? *gLayerShell : gtk_layer_is_supported()) ? DisplayKind::waylandLayer
                                                                   : DisplayKind::waylandPlain;
  return DisplayKind::other;
}

bool gnomeDesktopIconsOn() {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus) return false;
  GVariant* reply =
      g_dbus_connection_call_sync(bus, "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                                  "GetExtensionInfo", g_variant_new("(s)", "ding@rastersoft.com"),
                                  G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NO_AUTO_START, 2000, nullptr, nullptr);
  g_object_unref(bus);
  if (!reply) return false;  // not GNOME Shell
  GVariant* info = g_variant_get_child_value(reply, 0);
  double state = 0;
  const bool known = g_variant_lookup(info, "state", "d", &state);
  g_variant_unref(info);
  g_variant_unref(reply);
  return known && state == 1;  // the shell's ExtensionState.ENABLED
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
