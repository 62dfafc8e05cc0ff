// The window program's main loop while a large snapshot keeps changing: the
// widget's large window under the display in DISPLAY, its host's clock 60
// times fast so that the provider's 300-second reload comes every 5 s, and
// the file (1,000 accounts of 100 plan cells: 100,000 cells, about 4 MB)
// rewritten between reloads with a new time and a new count, so that every
// reload reads, decodes and draws anew. A probe timer on the same loop, due
// every 5 ms, stands for everything else the loop serves (ticks, a drag, the
// menu): the gaps between its calls are how long those would wait.
// Usage: main_loop_bench [SECONDS] (default 60); prints the gaps.

#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/window/run_window.hpp"
#include "data/encode.hpp"
#include "data/store.hpp"
#include "support/file_io.hpp"
#include "support/wall_clock.hpp"

namespace {

using namespace corvane;
using SteadyClock = std::chrono::steady_clock;

constexpr double kSpeed = 60;

void writeSnapshot(const std::string& path, double at, std::int64_t dms) {
  Snapshot s = Store::makeSample(at);
  s.dms = dms;
  std::vector<Account> accounts;
  for (int a = 0; a < 1000; ++a) {
    std::vector<PlanCell> plan;
    for (int c = 0; c < 100; ++c)
      plan.push_back({"Cell " + std::to_string(c), std::to_string(c) + "/100", c % 7 ? "" : "full"});
    accounts.push_back({"account_" + std::to_string(a), a % 3 ? "run" : "err", a, 40, "Running", std::move(plan)});
  }
  s.accounts = std::move(accounts);
  if (auto error = writeFileAtomically(path, toJson(s)))
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error->c_str());
}

std::vector<SteadyClock::time_point> gProbes;

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("main-loop-bench-" + std::to_string(::getpid()) + ".json")).string();
  const double wallStart = wallClockNow();
  writeSnapshot(path, wallStart, 0);

  // Half-way between reloads (host seconds 150, 450, ...), the file changes.
  std::atomic<bool> done{false};
  std::atomic<int> rewrites{0};
  std::thread writer([&] {
    for (int i = 1; !done; ++i) {
      const double due = wallStart + (300.0 * i - 150) / kSpeed;
      while (!done && wallClockNow() < due) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (done) break;
      writeSnapshot(path, wallStart + (wallClockNow() - wallStart) * kSpeed, i);
      ++rewrites;
    }
  });

  gProbes.reserve(static_cast<std::size_t>(seconds) * 250);
  g_timeout_add(
      5,
      +[](gpointer) -> gboolean {
        gProbes.push_back(SteadyClock::now());
        return G_SOURCE_CONTINUE;
      },
      nullptr);
  g_timeout_add_seconds(
      static_cast<guint>(seconds),
      +[](gpointer) -> gboolean {
        std::raise(SIGTERM);  // the process ends as it would for a person
        return G_SOURCE_REMOVE;
      },
      nullptr);

  WindowRunOptions options;
  options.families = {"large"};
  options.snapshotFile = path;
  options.speed = kSpeed;
  runWindows(options);
  done = true;
  writer.join();
  std::filesystem::remove(path);

  std::vector<double> gaps;
  for (std::size_t i = 1; i < gProbes.size(); ++i)
    gaps.push_back(std::chrono::duration<double, std::milli>(gProbes[i] - gProbes[i - 1]).count());
  if (gaps.empty()) return 1;
  std::vector<double> sorted = gaps;
  std::sort(sorted.begin(), sorted.end());
  const auto over = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g > 20; });
  std::printf("%d s, %d rewrites of a 100,000-cell snapshot, %zu probe calls due every 5 ms:\n", seconds,
              rewrites.load(), gProbes.size());
  std::printf("gap median %.1f ms, 99th percentile %.1f ms, 99.9th %.1f ms, largest %.1f ms; %ld gaps over 20 ms\n",
              sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted[sorted.size() * 999 / 1000],
              sorted.back(), static_cast<long>(over));
  // Where the largest gaps fell, in seconds from the first probe call.
  std::vector<std::size_t> order(gaps.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return gaps[a] > gaps[b]; });
  std::printf("largest gaps:");
  for (std::size_t k = 0; k < std::min<std::size_t>(5, order.size()); ++k)
    std::printf(" %.1f ms at %.2f s", gaps[order[k]],
                std::chrono::duration<double>(gProbes[order[k]] - gProbes.front()).count());
  std::printf("\n");
  return 0;
}
