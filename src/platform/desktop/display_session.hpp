#pragma once
// The connection to the display the widgets show on: opening it, what kind
// of desktop it is (X11, or Wayland with or without layer shell), the scale
// to start at, and what happens when it goes away.

#include <optional>

namespace corvane {

enum class DisplayKind {
  x11,           // EWMH hints and shapes
  waylandLayer,  // a compositor with layer shell: layer surfaces
  waylandPlain,  // no layer shell (GNOME): ordinary windows the compositor places
  other,
};

// Opens the default display. Returns false when there is none.
bool openDisplay();

// What the open display is.
DisplayKind displayKind();

// The scale of monitor `monitor` (none or gone: the primary, else the first).
int monitorScale(const std::optional<int>& monitor);

// Calls `lost` once when the connection to the display breaks (the display
// closes, the server or compositor goes away), before GTK's own handlers can
// end the process; `lost` must not return to GTK (it ends the process).
void watchDisplayLoss(void (*lost)());

}  // namespace corvane
