#pragma once
// The other end of the command channel: a program (`reload`, a second
// `run`) telling the hosts that run for this user what to do.

#include <string>
#include <vector>

namespace corvane {

// Tells every host running for this user: through each host's socket, and,
// when no socket answered, through the session bus. Returns how many hosts
// acknowledged; what the hosts that could not act said is added to `refused`.
int tellRunning(const std::string& command, const std::string& argument = {},
                std::vector<std::string>* refused = nullptr);

}  // namespace corvane
