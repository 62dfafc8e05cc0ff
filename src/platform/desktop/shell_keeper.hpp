#pragma once
// The window program's line to the GNOME Shell keeper that started it (see
// shell_extension.hpp). A Wayland client can neither learn the work area nor
// move its own window, so a kept window asks the keeper: the work area of
// each monitor, a move, and, after a person dragged it, where it was let go.
// Windows are named to the keeper by an object path set on their surface,
// with this connection's bus name, so that only this program moves them.

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/layout/geometry.hpp"

namespace corvane::shell {

class Keeper {
 public:
  // The keeper of this process, when the keeper started it; else null.
  static Keeper* ofThisProcess();

  // Names `window`'s surface to the keeper (once it is realized). Returns
  // the path it is known by.
  std::string name(GtkWindow* window);
  // The work area of the monitor showing `geometry` (logical pixels), as
  // the Shell keeps it (below the top bar); `geometry` itself when unknown.
  Rect workArea(const Rect& geometry);
  // Moves the window named `path`; kept there until moved again.
  void move(const std::string& path, int x, int y);

  // Called when work areas or monitors change, and when a drag ends.
  using Changed = std::function<void()>;
  using Moved = std::function<void(int x, int y)>;
  int watch(Changed changed, const std::string& path, Moved moved);
  void unwatch(int id);

  ~Keeper();
  Keeper(const Keeper&) = delete;
  Keeper& operator=(const Keeper&) = delete;

 private:
  Keeper();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::shell
