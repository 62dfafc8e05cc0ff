#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

enum ExitCode : int { kExitOk = 0, kExitInvalid = 1, kExitUsage = 2 };
// The display went away while the widget showed and the program could not
// start again to wait for it: the process ends with this status, so a
// service manager knows to start it again.
constexpr int kExitDisplayLost = 3;

// The one way a subcommand reports a failure: the message goes to stderr in
// one place (runCommandLine), and the code becomes the exit status.
struct CommandFailure : std::runtime_error {
  CommandFailure(ExitCode c, const std::string& message) : std::runtime_error(message), code(c) {}
  ExitCode code;
};

}  // namespace corvane
