// The host's side of WidgetBundle.main(): the stand-in host's front door is
// the command line, which serves this bundle.
#include "app/cli/command_line.hpp"
#include "app/run/window_program.hpp"
#include "widget/today_widget.hpp"

namespace corvane {

// A windowed `run` hands over to the window program, which alone links GTK.
int CorvaneWidgets::main(int argc, char** argv) {
  return runCommandLine(CorvaneWidgets{}, argc, argv, [argv](const WindowRunOptions&) { execWindowProgram(argv); });
}

}  // namespace corvane
