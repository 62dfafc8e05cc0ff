#pragma once
// The main application, opened the way a widget's tap opens its
// application: from its desktop entry, found through GIO in the XDG data
// folders, launched with startup notification (the desktop shows it
// starting and gives it the focus).

#include <gdk/gdk.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

class AppLauncher {
 public:
  // `desktopIds`: the entries to look for, in order ("name.desktop").
  explicit AppLauncher(std::vector<std::string> desktopIds) : ids_(std::move(desktopIds)) {}

  // The first entry that is installed now (entries come and go while the
  // widget runs, so each call looks again).
  std::optional<std::string> installed() const;

  struct Outcome {
    std::optional<std::string> launched;  // the entry launched
    std::string reason;                   // why nothing was
  };
  // Launches the first installed entry on `display`, for an input event at
  // `time` (the startup notification's timestamp).
  Outcome launch(GdkDisplay* display, guint32 time) const;

 private:
  std::vector<std::string> ids_;
};

}  // namespace corvane
