#pragma once
// The connection to the display the widgets show on: opening it, what kind
// of desktop it is (X11, or Wayland with or without layer shell), the scale
// to start at, and what happens when it goes away.

#include <optional>
#include <string>

namespace corvane {

enum class DisplayKind {
  x11,           // EWMH hints and shapes
  waylandLayer,  // a compositor with layer shell: layer surfaces
  waylandPlain,  // no layer shell (GNOME): ordinary windows the compositor places
  other,
};

// What the environment names and what answers, as the window program finds
// it before GTK starts.
struct DisplayProbe {
  bool waylandNamed = false, x11Named = false;  // WAYLAND_DISPLAY, DISPLAY set
  bool waylandAnswers = false, x11Answers = false;
  bool layerShell = false;       // the Wayland compositor offers zwlr_layer_shell_v1
  std::string requestedBackend;  // GDK_BACKEND, if the person set it
};

// Which of GDK's backends to allow: a compositor without layer shell cannot
// keep a window below, on every workspace or out of the switcher, while its
// Xwayland honours the X11 hints for those (GNOME), so X11 is taken there
// when an X display answers. A person's GDK_BACKEND wins. Empty: GDK's own
// choice. `note` is the line to say on stderr, if any.
struct BackendChoice {
  std::string allowed;
  std::string note;
};
BackendChoice chooseBackend(const DisplayProbe& probe);

enum class DisplayOpened { yes, noneNamed, noAnswer };

// Opens the display DISPLAY or WAYLAND_DISPLAY names, waiting up to
// `patience` seconds for one that does not answer yet (a login session
// starts the widget before the compositor or Xwayland accepts clients).
// Neither named: noneNamed at once.
DisplayOpened openDisplay(double patience);

// What the open display is.
DisplayKind displayKind();

// Whether GNOME Shell's desktop-icons extension is on: its transparent
// window lies over the whole work area, above a window kept below, and
// takes the pointer (clicks, drags, the menu) from the widget.
bool gnomeDesktopIconsOn();

// The scale of monitor `monitor` (none or gone: the primary, else the first).
int monitorScale(const std::optional<int>& monitor);

// Calls `lost` once when the connection to the display breaks (the display
// closes, the server or compositor goes away), before GTK's own handlers can
// end the process; `lost` must not return to GTK (it ends the process).
void watchDisplayLoss(void (*lost)());

}  // namespace corvane
