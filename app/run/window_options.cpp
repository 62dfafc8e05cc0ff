#include "app/run/window_options.hpp"

#include "app/cli/option_checks.hpp"

namespace corvane {

void addWindowOptions(CLI::App& run, WindowRunOptions& o) {
  run.add_option("--position", o.position, "window: the corner of the monitor")
      ->check(CLI::IsMember({"top-left", "top-right", "bottom-left", "bottom-right"}))
      ->capture_default_str();
  run.add_option("--margin", o.margin, "window: points between the widget and the monitor's edges")
      ->check(finiteBetween(0, 1000))
      ->capture_default_str();
  run.add_option("--monitor", o.monitor, "window: the monitor's number (0 is the first; default: the primary)")
      ->check(monitorCheck());
  run.add_flag("--autostart", o.autostart,
               "window: started by the session's autostart entry; does nothing when the systemd user unit is "
               "enabled, since the unit starts the widget");
}

}  // namespace corvane
