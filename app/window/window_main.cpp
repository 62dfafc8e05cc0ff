// The window program: a windowed `run`, started by `corvane-widget run` in
// its own place (the same process). It reads the same command line, so what
// was accepted there means the same here.
#include "app/cli/command_line.hpp"
#include "app/window/run_window.hpp"
#include "widget/today_widget.hpp"

int main(int argc, char** argv) {
  corvane::rememberCommandLine(argv);
  return corvane::runCommandLine(corvane::CorvaneWidgets{}, argc, argv, corvane::runWindows);
}
