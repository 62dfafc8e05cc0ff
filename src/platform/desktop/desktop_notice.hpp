#pragma once
// A desktop notification (org.freedesktop.Notifications on the session
// bus): how the widget tells a person what a click could not do, since the
// widget itself has no room for messages. Sent without waiting; a session
// without a notification service shows nothing, and that is all.

#include <gio/gio.h>

#include <string>

namespace corvane {

class DesktopNotice {
 public:
  // Notices name `appName`, show the icon `icon` (an icon theme name) and
  // belong to the desktop entry `desktopEntry` (without ".desktop").
  DesktopNotice(std::string appName, std::string icon, std::string desktopEntry)
      : app_(std::move(appName)), icon_(std::move(icon)), entry_(std::move(desktopEntry)) {}
  ~DesktopNotice();
  DesktopNotice(const DesktopNotice&) = delete;
  DesktopNotice& operator=(const DesktopNotice&) = delete;

  // Shows `summary` and `body`, in place of the notice shown before (so that
  // clicks in a row do not pile notices up).
  void show(const std::string& summary, const std::string& body);

 private:
  static void onSent(GObject* bus, GAsyncResult* result, gpointer self);

  std::string app_, icon_, entry_;
  guint32 shown_ = 0;                // the id of the notice shown last, which the next replaces
  GCancellable* pending_ = nullptr;  // the call under way; cancelled when this goes
};

}  // namespace corvane
