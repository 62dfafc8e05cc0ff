#pragma once
// The wall clock, as seconds since 1970-01-01 00:00 UTC with a fraction.

#include <chrono>

namespace corvane {

inline double wallClockNow() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace corvane
