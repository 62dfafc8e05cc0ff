#include "support/fault.hpp"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace corvane {
namespace {

// Process-wide, as the C callbacks that report are: guarded, since a
// worker thread may report too.
struct Faults {
  std::mutex mutex;
  FaultSink sink;
  std::set<std::pair<std::string, std::string>, std::less<>> said;
};

Faults& faults() {
  static Faults all;
  return all;
}

}  // namespace

void setFaultSink(FaultSink sink) {
  std::lock_guard lock(faults().mutex);
  faults().sink = std::move(sink);
}

void reportFault(std::string_view where, std::string_view what) {
  FaultSink sink;
  {
    Faults& f = faults();
    std::lock_guard lock(f.mutex);
    // Past this many different faults, more are not worth a line each (and
    // remembering them must not grow without end).
    constexpr std::size_t kMostSaid = 256;
    if (f.said.size() >= kMostSaid || !f.said.emplace(std::string(where), std::string(what)).second) return;
    sink = f.sink;
  }
  if (sink) {
    sink(where, what);
    return;
  }
  std::fprintf(stderr, "corvane-widget: %.*s: %.*s\n", int(where.size()), where.data(), int(what.size()), what.data());
}

}  // namespace corvane
