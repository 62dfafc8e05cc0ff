// The host's side of WidgetBundle.main(): the stand-in host's front door is
// the command line, which serves this bundle.
#include "app/command_line.hpp"
#include "timeline/today_widget.hpp"

namespace corvane {

int CorvaneWidgets::main(int argc, char** argv) { return runCommandLine(CorvaneWidgets{}, argc, argv); }

}  // namespace corvane
