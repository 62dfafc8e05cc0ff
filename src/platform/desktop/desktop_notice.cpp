#include "platform/desktop/desktop_notice.hpp"

namespace corvane {
namespace {

// A service started on demand (D-Bus activation) may take a moment.
constexpr int kTimeoutMs = 10000;

}  // namespace

DesktopNotice::~DesktopNotice() {
  if (pending_) {
    g_cancellable_cancel(pending_);
    g_object_unref(pending_);
  }
}

void DesktopNotice::show(const std::string& summary, const std::string& body) {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus) return;  // no session bus: nobody to show it
  if (pending_) {
    g_cancellable_cancel(pending_);
    g_object_unref(pending_);
  }
  pending_ = g_cancellable_new();
  GVariantBuilder hints;
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string(entry_.c_str()));
  g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(1));
  // The callback gets this object only while the call is not cancelled, and
  // the destructor cancels it.
  g_dbus_connection_call(
      bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "Notify",
      g_variant_new("(susssasa{sv}i)", app_.c_str(), shown_, icon_.c_str(), summary.c_str(), body.c_str(), nullptr,
                    &hints, -1),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kTimeoutMs, pending_, &DesktopNotice::onSent, this);
  g_object_unref(bus);
}

void DesktopNotice::onSent(GObject* bus, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
  if (!reply) {
    const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
    g_error_free(error);
    if (cancelled) return;  // `self` may be gone
    auto* notice = static_cast<DesktopNotice*>(self);
    g_clear_object(&notice->pending_);
    return;
  }
  auto* notice = static_cast<DesktopNotice*>(self);
  g_variant_get(reply, "(u)", &notice->shown_);
  g_variant_unref(reply);
  g_clear_object(&notice->pending_);
}

}  // namespace corvane
