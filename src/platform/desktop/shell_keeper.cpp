#include "platform/desktop/shell_keeper.hpp"

#include <gdk/gdkwayland.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/desktop/shell_extension.hpp"
#include "platform/ui/shaping/gobject_ptr.hpp"
#include "support/fault.hpp"

namespace corvane::shell {
namespace {

constexpr int kCallTimeoutMs = 2000;

struct Watcher {
  Keeper::Changed changed;
  std::string path;
  Keeper::Moved moved;
};

}  // namespace

struct Keeper::Impl {
  GObjectPtr<GDBusConnection> bus{g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)};
  guint changedSignal = 0, movedSignal = 0;
  int nextWindow = 0, nextWatcher = 0;
  std::optional<std::vector<std::pair<Rect, Rect>>> areas;  // monitor geometry, work area; read when asked
  std::map<int, Watcher> watchers;

  static void onChanged(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
                        gpointer data) {
    auto* self = static_cast<Impl*>(data);
    self->areas.reset();
    const auto watchers = self->watchers;  // a watcher may unwatch
    for (const auto& [id, w] : watchers)
      if (w.changed) contained("the work area changed", w.changed);
  }

  static void onMoved(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* args,
                      gpointer data) {
    auto* self = static_cast<Impl*>(data);
    const char* path = nullptr;
    gint32 x = 0, y = 0;
    g_variant_get(args, "(&oii)", &path, &x, &y);
    const auto watchers = self->watchers;
    for (const auto& entry : watchers) {
      const Watcher& w = entry.second;
      if (w.path == path && w.moved) contained("a widget dragged", [&] { w.moved(x, y); });
    }
  }

  void readAreas() {
    areas.emplace();
    GVariant* reply = g_dbus_connection_call_sync(bus.get(), kKeeperName, kKeeperPath, kKeeperName, "WorkAreas",
                                                  nullptr, G_VARIANT_TYPE("(a(iiiiiiii))"), G_DBUS_CALL_FLAGS_NONE,
                                                  kCallTimeoutMs, nullptr, nullptr);
    if (!reply) return;
    GVariantIter* iter = nullptr;
    g_variant_get(reply, "(a(iiiiiiii))", &iter);
    gint32 m[8] = {};
    while (g_variant_iter_next(iter, "(iiiiiiii)", &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7]))
      areas->emplace_back(Rect{double(m[0]), double(m[1]), double(m[2]), double(m[3])},
                          Rect{double(m[4]), double(m[5]), double(m[6]), double(m[7])});
    g_variant_iter_free(iter);
    g_variant_unref(reply);
  }
};

Keeper* Keeper::ofThisProcess() {
  static const std::unique_ptr<Keeper> keeper(kept() ? new Keeper : nullptr);
  return keeper && keeper->impl_->bus ? keeper.get() : nullptr;
}

Keeper::Keeper() : impl_(std::make_unique<Impl>()) {
  Impl& m = *impl_;
  if (!m.bus) return;
  m.changedSignal =
      g_dbus_connection_signal_subscribe(m.bus.get(), kKeeperName, kKeeperName, "WorkAreasChanged", kKeeperPath,
                                         nullptr, G_DBUS_SIGNAL_FLAGS_NONE, Impl::onChanged, impl_.get(), nullptr);
  m.movedSignal =
      g_dbus_connection_signal_subscribe(m.bus.get(), kKeeperName, kKeeperName, "Moved", kKeeperPath, nullptr,
                                         G_DBUS_SIGNAL_FLAGS_NONE, Impl::onMoved, impl_.get(), nullptr);
}

Keeper::~Keeper() {
  if (impl_->bus) {
    g_dbus_connection_signal_unsubscribe(impl_->bus.get(), impl_->changedSignal);
    g_dbus_connection_signal_unsubscribe(impl_->bus.get(), impl_->movedSignal);
  }
}

std::string Keeper::name(GtkWindow* window) {
  std::string path = std::string(kKeeperPath) + "/window" + std::to_string(++impl_->nextWindow);
  gtk_widget_realize(GTK_WIDGET(window));
  GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
  if (surface && GDK_IS_WAYLAND_WINDOW(surface))
    gdk_wayland_window_set_dbus_properties_libgtk_only(surface, nullptr, nullptr, nullptr, path.c_str(), nullptr,
                                                       g_dbus_connection_get_unique_name(impl_->bus.get()));
  return path;
}

Rect Keeper::workArea(const Rect& geometry) {
  if (!impl_->areas) impl_->readAreas();
  for (const auto& [monitor, area] : *impl_->areas)
    if (monitor == geometry) return area;
  return geometry;
}

void Keeper::move(const std::string& path, int x, int y) {
  g_dbus_connection_call(impl_->bus.get(), kKeeperName, kKeeperPath, kKeeperName, "Move",
                         g_variant_new("(oii)", path.c_str(), x, y), nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
                         nullptr, nullptr, nullptr);
}

int Keeper::watch(Changed changed, const std::string& path, Moved moved) {
  const int id = ++impl_->nextWatcher;
  impl_->watchers[id] = Watcher{std::move(changed), path, std::move(moved)};
  return id;
}

void Keeper::unwatch(int id) { impl_->watchers.erase(id); }

}  // namespace corvane::shell
