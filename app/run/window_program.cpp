#include "app/run/window_program.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/cli/exit_codes.hpp"

#ifndef CORVANE_WINDOW_PROGRAM_RELATIVE
#define CORVANE_WINDOW_PROGRAM_RELATIVE "../libexec/corvane-widget/corvane-widget-window"
#endif

namespace corvane {

namespace fs = std::filesystem;

std::vector<fs::path> windowProgramCandidates(const fs::path& self, const std::string& relativeInstall) {
  const fs::path folder = self.parent_path();
  return {folder / "corvane-widget-window", (folder / relativeInstall).lexically_normal()};
}

void execWindowProgram(char** argv) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) throw CommandFailure(kExitUsage, "cannot find this program's own folder: " + ec.message());
  // Whatever this process printed must not be printed twice or lost.
  std::cout.flush();
  std::fflush(nullptr);
  std::string tried;
  for (const fs::path& candidate : windowProgramCandidates(self, CORVANE_WINDOW_PROGRAM_RELATIVE)) {
    ::execv(candidate.c_str(), argv);
    // execv returns only on failure; a missing file means: try the next place.
    tried += "\n  " + candidate.string() + ": " + std::strerror(errno);
  }
  throw CommandFailure(kExitUsage, "the desktop window program could not be started:" + tried +
                                       "\n`corvane-widget run --headless --out DIR` keeps pictures of the widget "
                                       "current without it");
}

}  // namespace corvane
