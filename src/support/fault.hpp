#pragma once
// Faults inside the running process's callbacks. GLib, GTK and the X
// library call us from C frames: an exception that unwound through them
// would end the process (std::terminate). Each callback runs its work
// through contained(), which reports what went wrong and goes on; whatever
// was shown before stays shown.

#include <exception>
#include <functional>
#include <string_view>

namespace corvane {

// Where faults go: the running process sets it (standard error, and
// --events); by default one line on standard error.
using FaultSink = std::function<void(std::string_view where, std::string_view what)>;
void setFaultSink(FaultSink sink);

// Reports a fault, once for each place and message: a fault that recurs at
// every tick is said once, not every second.
void reportFault(std::string_view where, std::string_view what);

// Runs `work`; an exception it throws is reported and stops there. Returns
// whether `work` ran to its end.
template <class Work>
bool contained(std::string_view where, Work&& work) noexcept {
  try {
    std::forward<Work>(work)();
    return true;
  } catch (const std::exception& e) {
    reportFault(where, e.what());
  } catch (...) {
    reportFault(where, "an unknown exception");
  }
  return false;
}

}  // namespace corvane
