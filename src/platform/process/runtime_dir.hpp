#pragma once
// The private folder where running hosts listen for commands:
// $XDG_RUNTIME_DIR/corvane-widget, or $TMPDIR/corvane-widget-UID (TMPDIR
// defaulting to /tmp) when the runtime folder is not set. Only its owner may use it: it is created with
// mode 0700 and, whoever created it, used only when lstat finds a real
// folder (not a link) owned by this user that nobody else can enter.

#include <optional>
#include <string>

namespace corvane {

struct PrivateDir {
  std::optional<std::string> path;  // none: unusable, see reason
  std::string reason;
};

// Creates the folder when `create` and it is missing; checks it either way.
PrivateDir privateRuntimeDir(bool create);

// The socket of the host with process id `pid` in `dir`.
std::string hostSocketPath(const std::string& dir, long pid);

}  // namespace corvane
