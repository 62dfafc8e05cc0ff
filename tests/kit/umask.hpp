#pragma once
// The process's umask as the kernel reports it, read without changing it
// (umask() itself can only be read by setting it).

#include <fstream>
#include <string>

namespace corvane::testing {

// -1 when /proc does not say.
inline int currentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return std::stoi(line.substr(6), nullptr, 8);
  return -1;
}

}  // namespace corvane::testing
