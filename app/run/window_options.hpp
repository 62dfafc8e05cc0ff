#pragma once
// The options of a windowed `run`. They are parsed by the program a person
// starts, which has no GTK, and again by the window program it hands over to.

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/entry_source.hpp"

namespace corvane {

struct WindowRunOptions {
  std::vector<std::string> families;  // none: medium
  std::string position = "top-right";
  double margin = 24;  // points
  std::optional<int> monitor;
  std::string snapshotFile;  // none: the user's
  EnvironmentOptions env;
  double speed = 1;
  bool events = false;
  bool watch = false;       // reload as soon as the snapshot file changes
  bool autostart = false;   // started by the session's autostart entry
  bool placeGiven = false;  // --position, --margin or --monitor was given: it wins over a kept place
};

// What a windowed `run` does once its options are read: the window program
// shows the windows; the command-line program hands over to it.
using WindowRunner = std::function<void(const WindowRunOptions&)>;

// The options only a windowed run has (position, margin, monitor).
void addWindowOptions(CLI::App& run, WindowRunOptions& options);

}  // namespace corvane
