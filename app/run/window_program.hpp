#pragma once
// The desktop window lives in a program of its own, `corvane-widget-window`,
// so that only a windowed `run` loads GTK and its libraries: every other
// command, and the headless host that runs all day, stays small.

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

// Where the window program may be, in order, for a command-line program at
// `self`: beside it (a build folder), then where an installation puts it
// (`relativeInstall`, relative to the command-line program's folder).
std::vector<std::filesystem::path> windowProgramCandidates(const std::filesystem::path& self,
                                                           const std::string& relativeInstall);

// Replaces this process with the window program, given the same arguments:
// the process keeps its id, so a service manager or a shell that started it
// still follows it. Returns only by throwing CommandFailure (status 2) when
// no window program can be started.
[[noreturn]] void execWindowProgram(char** argv);

}  // namespace corvane
