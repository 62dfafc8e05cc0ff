#pragma once
// `run` with a window: the widget on a person's desktop, one window per
// family, each kept current by the host.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

#include "app/entry_source.hpp"

namespace corvane {

// The display went away while the widget showed: the process ends on its own
// terms with this status, so a service manager knows to start it again.
constexpr int kExitDisplayLost = 3;

struct WindowRunOptions {
  std::vector<std::string> families;  // none: medium
  std::string position = "top-right";
  double margin = 24;  // points
  std::optional<int> monitor;
  std::string snapshotFile;  // none: the user's
  EnvironmentOptions env;
  double speed = 1;
  bool events = false;
};

// The options only a windowed run has (position, margin, monitor).
void addWindowOptions(CLI::App& run, WindowRunOptions& options);

// Shows the windows and runs until Quit, a signal or the last window closing.
// A host already running for this user is asked to show the families
// instead. Throws CommandFailure (status 2) when there is no display.
void runWindows(const WindowRunOptions& options);

}  // namespace corvane
