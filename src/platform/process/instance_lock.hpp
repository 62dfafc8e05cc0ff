#pragma once
// One window process per user: an advisory lock on a file in the private
// runtime folder, taken before any window is shown. The kernel releases it
// when the process ends, however it ends (and at exec), so a crash never
// leaves a stale lock behind, and two processes started in the same instant
// cannot both take it.

#include <optional>
#include <string>

namespace corvane {

// The lock of the one window process, in the private runtime folder.
inline constexpr char kWindowLockName[] = "window.lock";

class InstanceLock {
 public:
  // Takes the lock named `name` in the private runtime folder (made if need
  // be), without waiting. `held()` says whether it was taken; `reason()`
  // why it could not even be tried (the folder is unusable).
  explicit InstanceLock(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Tries again to take it (another process may have let it go).
  bool tryAgain();
  bool held() const { return held_; }
  const std::optional<std::string>& reason() const { return reason_; }

 private:
  int fd_ = -1;
  bool held_ = false;
  std::optional<std::string> reason_;
};

}  // namespace corvane
