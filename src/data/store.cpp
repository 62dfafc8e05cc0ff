#include "data/store.hpp"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "support/file_io.hpp"
#include "support/wall_clock.hpp"

namespace corvane {

std::optional<std::string> Store::homeDirectory() {
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(hint > 0 ? static_cast<std::size_t>(hint) : 4096);
  struct passwd record {};
  struct passwd* found = nullptr;
  for (;;) {
    int err = ::getpwuid_r(::getuid(), &record, buf.data(), buf.size(), &found);
    if (err == ERANGE && buf.size() < (1u << 20)) {
      buf.resize(buf.size() * 2);
      continue;
    }
    break;
  }
  // Home directory bytes are taken as they stand; they are normally UTF-8.
  if (!found || !found->pw_dir || found->pw_dir[0] == '\0') return std::nullopt;
  return std::string(found->pw_dir);
}

std::string Store::fileIn(const std::string& home) { return home + kRelativePath; }

std::optional<std::string> Store::file() {
  auto home = homeDirectory();
  if (!home) return std::nullopt;
  return fileIn(*home);
}

std::optional<Snapshot> Store::loadFrom(const std::string& path, std::string* why) {
  std::string ignored;
  std::string& reason = why ? *why : ignored;
  reason.clear();
  // A writer that rewrites the file in place, or renames a new one over it,
  // may do so while it is read: the bytes then stop short or mix two
  // versions. Such a read is made again until one finds the file unchanged
  // from its start to its end. A stable read that does not decode while the
  // file was modified a moment ago is made again too: a writer may be paused
  // half-way through, between two of its writes. A file that is invalid and
  // has been left alone is decided at once. However busy the machine, the
  // reads stop after kSettleTime: the last one decides if it was stable, and
  // a file that never held still gives no data rather than mixed data.
  using SteadyClock = std::chrono::steady_clock;
  constexpr auto kSettleTime = std::chrono::milliseconds(500);
  constexpr auto kLongestPause = std::chrono::milliseconds(40);
  constexpr double kMomentAgo = 2.0;  // seconds, either way (clocks are coarse)
  const auto deadline = SteadyClock::now() + kSettleTime;
  // Growing pauses, so that later reads fall at moments apart from the first.
  auto pause = std::chrono::microseconds(500);
  for (;;) {
    FileRead read = readRegularFile(path, kMaxFileBytes);
    if (!read.bytes) {  // missing or not a regular file: nothing to wait for
      reason = read.reason;
      return std::nullopt;
    }
    const bool last = SteadyClock::now() >= deadline;
    if (!read.changed) {
      Decoded decoded = decodeSnapshot(*read.bytes, read.bytes->capacity());
      const bool recent = std::fabs(wallClockNow() - read.modified) < kMomentAgo;
      if (decoded || last || !recent) {
        if (!decoded) reason = decoded.error.describe();
        return std::move(decoded.snapshot);
      }
    } else if (last) {
      reason = "the file kept changing while it was read";
      return std::nullopt;
    }
    std::this_thread::sleep_for(
        std::min<SteadyClock::duration>(pause, std::max<SteadyClock::duration>(deadline - SteadyClock::now(), {})));
    pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
  }
}

std::optional<Snapshot> Store::load(std::string* why) {
  auto path = file();
  if (!path) {
    if (why) *why = "the user database has no home directory for this user";
    return std::nullopt;
  }
  return loadFrom(*path, why);
}

Snapshot Store::makeSample(double at) {
  std::vector<PlanCell> plan = {
      {"Likes", "11/17", ""},  {"Comments", "2/6", ""}, {"Stories", "7/11", ""},
      {"Feed", "9/9", "full"}, {"Follows", "1/5", ""},  {"Shares", "\u2013", "off"},
  };
  std::vector<Account> accounts = {
      {"harbor_lantern", "err", 0, 30, "Needs you", {}},
      {"quiet_orchard", "run", 18, 40, "Running", std::move(plan)},
  };
  return Snapshot{1, at, true, 18, 70, 2, 24, 1, 1, std::move(accounts)};
}

Snapshot Store::sample() {
  // A function-local static is initialised once, and concurrent first callers
  // wait for that one initialisation to finish.
  static const Snapshot built = makeSample(wallClockNow());
  return built;
}

}  // namespace corvane
