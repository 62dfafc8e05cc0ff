#include "platform/desktop/app_launcher.hpp"

#include <gio/gdesktopappinfo.h>

#include "platform/ui/shaping/gobject_ptr.hpp"

namespace corvane {

std::optional<std::string> AppLauncher::installed() const {
  for (const std::string& id : ids_)
    if (GObjectPtr<GDesktopAppInfo> info{g_desktop_app_info_new(id.c_str())}) return id;
  return std::nullopt;
}

AppLauncher::Outcome AppLauncher::launch(GdkDisplay* display, guint32 time) const {
  const std::optional<std::string> id = installed();
  if (!id) {
    std::string names;
    for (const std::string& i : ids_) names += (names.empty() ? "" : " or ") + i;
    return {std::nullopt, "Corvane is not installed (no " + names + ")"};
  }
  GObjectPtr<GDesktopAppInfo> info{g_desktop_app_info_new(id->c_str())};
  GObjectPtr<GdkAppLaunchContext> context{gdk_display_get_app_launch_context(display)};
  gdk_app_launch_context_set_timestamp(context.get(), time);
  GError* error = nullptr;
  if (!g_app_info_launch(G_APP_INFO(info.get()), nullptr, G_APP_LAUNCH_CONTEXT(context.get()), &error)) {
    std::string reason = *id + ": " + (error ? error->message : "it could not be started");
    if (error) g_error_free(error);
    return {std::nullopt, reason};
  }
  return {*id, {}};
}

}  // namespace corvane
