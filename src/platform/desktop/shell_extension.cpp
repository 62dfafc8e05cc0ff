#include "platform/desktop/shell_extension.hpp"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <glib-unix.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "platform/ui/shaping/gobject_ptr.hpp"

namespace corvane::shell {
namespace {

// How long one question to the Shell may take (ms).
constexpr int kCallTimeoutMs = 2000;

bool onGnome() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop && std::string_view(desktop).find("GNOME") != std::string_view::npos;
}

GObjectPtr<GDBusConnection> sessionBus() {
  return GObjectPtr<GDBusConnection>(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
}

// A call to the Shell or the bus; null on any failure.
GVariant* call(GDBusConnection* bus, const char* name, const char* path, const char* interface, const char* method,
               GVariant* args, const char* replyType, int timeoutMs = kCallTimeoutMs) {
  return g_dbus_connection_call_sync(bus, name, path, interface, method, args, G_VARIANT_TYPE(replyType),
                                     G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs, nullptr, nullptr);
}

// The answer of a call that answers yes or no; no on any failure.
bool answersYes(GVariant* reply) {
  if (!reply) return false;
  gboolean yes = FALSE;
  g_variant_get(reply, "(b)", &yes);
  g_variant_unref(reply);
  return yes;
}

bool hasOwner(GDBusConnection* bus, const char* name) {
  return answersYes(call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                         g_variant_new("(s)", name), "(b)"));
}

// Whether the extension's files are where the Shell looks for them.
bool installed() {
  namespace fs = std::filesystem;
  const std::string leaf = std::string("gnome-shell/extensions/") + kExtensionUuid + "/metadata.json";
  std::error_code ec;
  if (fs::exists(fs::path(g_get_user_data_dir()) / leaf, ec)) return true;
  for (const char* const* dir = g_get_system_data_dirs(); *dir; ++dir)
    if (fs::exists(fs::path(*dir) / leaf, ec)) return true;
  return false;
}

}  // namespace

ExtensionState extensionState() {
  if (!onGnome()) return ExtensionState::none;
  auto bus = sessionBus();
  if (!bus) return ExtensionState::none;
  GVariant* reply = call(bus.get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                         "GetExtensionInfo", g_variant_new("(s)", kExtensionUuid), "(a{sv})");
  if (!reply) return ExtensionState::none;  // no GNOME Shell answers
  GVariant* info = g_variant_get_child_value(reply, 0);
  double state = 0;
  const bool known = g_variant_lookup(info, "state", "d", &state);
  g_variant_unref(info);
  g_variant_unref(reply);
  if (!known) return installed() ? ExtensionState::nextLogin : ExtensionState::none;
  if (state != 1) return ExtensionState::off;  // the Shell's ExtensionState.ENABLED is 1
  return hasOwner(bus.get(), kKeeperName) ? ExtensionState::on : ExtensionState::onWithoutKeeper;
}

std::optional<std::string> stateNote(ExtensionState state) {
  const std::string why = "it keeps the widget above the desktop icons and below every window, also without Xwayland";
  switch (state) {
    case ExtensionState::off:
      return std::string("corvane-widget: the widget's GNOME Shell extension is off: `gnome-extensions enable ") +
             kExtensionUuid + "` or the widget's menu turns it on; " + why;
    case ExtensionState::nextLogin:
      return std::string(
                 "corvane-widget: the widget's GNOME Shell extension is installed; GNOME Shell loads it at "
                 "the next login, then `gnome-extensions enable ") +
             kExtensionUuid + "` or the widget's menu turns it on; " + why;
    default: return std::nullopt;
  }
}

bool turnOn() {
  auto bus = sessionBus();
  if (!bus) return false;
  return answersYes(call(bus.get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                         "EnableExtension", g_variant_new("(s)", kExtensionUuid), "(b)"));
}

bool kept() {
  const char* keeper = std::getenv(kKeptVariable);
  return keeper && std::strcmp(keeper, kKeeperName) == 0;
}

namespace {

// Variables the keeper takes; it checks them itself too.
bool passed(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "LANG",           "LANGUAGE",       "TZ", "HOME", "TMPDIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
      "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"};
  for (std::string_view n : kNames)
    if (name == n) return true;
  return name.starts_with("LC_");
}

// The wait for a started program: its end, the keeper's word on how it
// ended, and the signals this process hands on to it.
struct Waiting {
  GMainLoop* loop = nullptr;
  guint32 pid = 0;
  int status = 1;
  bool again = false;  // the keeper was turned off: run here
  bool ended = false;  // the program is gone
  bool heard = false;  // the keeper said how it ended
  guint patience = 0;  // the wait for that word, once the program is gone
  void settle() const {
    if (ended && heard) g_main_loop_quit(loop);
  }
};

// How long the keeper's word on an ended program is waited for (ms): the
// Shell reaps its child in its own time; a Shell gone never says.
constexpr guint kWordPatienceMs = 2000;

void onEnded(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* args, gpointer data) {
  auto* w = static_cast<Waiting*>(data);
  guint32 pid = 0;
  gint32 status = 0;
  gboolean again = FALSE;
  g_variant_get(args, "(uib)", &pid, &status, &again);
  if (pid != w->pid) return;
  w->status = status;
  w->again = again;
  w->heard = true;
  w->settle();
}

gboolean onSignal(gpointer data) {
  auto* w = static_cast<Waiting*>(data);
  ::kill(static_cast<pid_t>(w->pid), SIGTERM);
  return G_SOURCE_CONTINUE;
}

}  // namespace

std::optional<int> runThroughKeeper(char** argv) {
  if (kept() || extensionState() != ExtensionState::on) return std::nullopt;
  auto bus = sessionBus();
  if (!bus) return std::nullopt;

  GVariantBuilder args;
  g_variant_builder_init(&args, G_VARIANT_TYPE("as"));
  for (char** a = argv; *a; ++a) g_variant_builder_add(&args, "s", *a);
  GVariantBuilder env;
  g_variant_builder_init(&env, G_VARIANT_TYPE("a{ss}"));
  for (char** e = environ; *e; ++e) {
    const std::string_view entry(*e);
    const std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos || !passed(entry.substr(0, eq))) continue;
    g_variant_builder_add(&env, "{ss}", std::string(entry.substr(0, eq)).c_str(), *e + eq + 1);
  }
  GObjectPtr<GUnixFDList> fds(g_unix_fd_list_new());
  g_unix_fd_list_append(fds.get(), STDOUT_FILENO, nullptr);
  g_unix_fd_list_append(fds.get(), STDERR_FILENO, nullptr);
  g_autofree char* cwd = g_get_current_dir();

  Waiting w;
  w.loop = g_main_loop_new(nullptr, FALSE);
  // Subscribed before the start: a program that ends at once is heard.
  const guint ended = g_dbus_connection_signal_subscribe(bus.get(), kKeeperName, kKeeperName, "Ended", kKeeperPath,
                                                         nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onEnded, &w, nullptr);
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_with_unix_fd_list_sync(
      bus.get(), kKeeperName, kKeeperPath, kKeeperName, "Start", g_variant_new("(assa{ss}hh)", &args, cwd, &env, 0, 1),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, fds.get(), nullptr, nullptr, &error);
  if (!reply) {
    std::fprintf(stderr, "corvane-widget: GNOME Shell's extension could not start the widget (%s); it runs here\n",
                 error ? error->message : "no answer");
    g_clear_error(&error);
    g_dbus_connection_signal_unsubscribe(bus.get(), ended);
    g_main_loop_unref(w.loop);
    return std::nullopt;
  }
  g_variant_get(reply, "(u)", &w.pid);
  g_variant_unref(reply);

  // The program is the Shell's child: its end is seen through a pidfd, its
  // status comes with the keeper's Ended.
  // (Through syscall(): Debian 12's <sys/pidfd.h> declares it without C linkage.)
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(w.pid), 0));
  if (pidfd >= 0) {
    g_unix_fd_add(
        pidfd, G_IO_IN,
        +[](gint, GIOCondition, gpointer data) -> gboolean {
          auto* waiting = static_cast<Waiting*>(data);
          waiting->ended = true;
          waiting->settle();
          waiting->patience = g_timeout_add(
              kWordPatienceMs,
              +[](gpointer data) -> gboolean {
                auto* self = static_cast<Waiting*>(data);
                self->patience = 0;
                g_main_loop_quit(self->loop);
                return G_SOURCE_REMOVE;
              },
              waiting);
          return G_SOURCE_REMOVE;
        },
        &w);
    const guint sigs[] = {g_unix_signal_add(SIGINT, onSignal, &w), g_unix_signal_add(SIGTERM, onSignal, &w),
                          g_unix_signal_add(SIGHUP, onSignal, &w)};
    g_main_loop_run(w.loop);
    for (guint s : sigs) g_source_remove(s);
    if (w.patience) g_source_remove(w.patience);
    ::close(pidfd);
  }
  g_dbus_connection_signal_unsubscribe(bus.get(), ended);
  g_main_loop_unref(w.loop);
  if (w.again) return std::nullopt;
  return w.status;
}

}  // namespace corvane::shell
