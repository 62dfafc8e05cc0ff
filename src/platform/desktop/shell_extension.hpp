#pragma once
// The widget's GNOME Shell extension (gnome-shell/), seen from the window
// program. GNOME lets only the Shell decide stacking, workspaces, focus and
// the window list, and no client can ask to sit above the desktop icons'
// window: the extension's keeper starts the window program as a Wayland
// client of the Shell's own and gives that client's windows the treatment
// of a desktop widget. `run` asks the keeper to start it when the extension
// is on, and else runs as before.

#include <optional>
#include <string>

namespace corvane::shell {

// The extension's id, and the session-bus name its keeper owns while on.
inline constexpr char kExtensionUuid[] = "today@desktop.corvane.com";
inline constexpr char kKeeperName[] = "com.corvane.desktop.today.Shell";
inline constexpr char kKeeperPath[] = "/com/corvane/desktop/today/Shell";
// Set by the keeper in what it starts: the window program is kept.
inline constexpr char kKeptVariable[] = "CORVANE_WIDGET_KEEPER";

enum class ExtensionState {
  none,             // not GNOME Shell, or the extension is not installed
  off,              // installed, known to the Shell, not enabled
  nextLogin,        // installed after the Shell started: it loads at the next login
  on,               // enabled, and its keeper answers
  onWithoutKeeper,  // enabled on a Shell that keeps no Wayland clients (X11 session)
};

// What the Shell of this session says of the extension; quick (one call,
// none at all outside GNOME).
ExtensionState extensionState();

// The one line `run` says for `state`, if any.
std::optional<std::string> stateNote(ExtensionState state);

// Asks the Shell to enable the installed extension (org.gnome.Shell.Extensions).
bool turnOn();

// Whether this program was started by the keeper.
bool kept();

// Has the keeper start the window program with this program's arguments
// (`argv`, without the program's name first), its folder, its output and
// the parts of its environment the keeper accepts, and waits for it to end,
// handing on SIGINT, SIGTERM and SIGHUP. The program's exit status; nullopt
// when it is to run here instead: no keeper answers, or the extension was
// turned off while it ran.
std::optional<int> runThroughKeeper(char** argv);

}  // namespace corvane::shell
