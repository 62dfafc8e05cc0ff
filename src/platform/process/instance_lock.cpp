#include "platform/process/instance_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/process/runtime_dir.hpp"

namespace corvane {

InstanceLock::InstanceLock(const std::string& name) {
  PrivateDir dir = privateRuntimeDir(true);
  if (!dir.path) {
    reason_ = dir.reason;
    return;
  }
  const std::string path = *dir.path + "/" + name;
  // The folder is this user's alone; O_NOFOLLOW still refuses a link.
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) {
    reason_ = path + ": " + std::strerror(errno);
    return;
  }
  tryAgain();
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);  // lets the lock go
}

bool InstanceLock::tryAgain() {
  if (fd_ < 0 || held_) return held_;
  int status = 0;
  do status = ::flock(fd_, LOCK_EX | LOCK_NB);
  while (status != 0 && errno == EINTR);
  held_ = status == 0;
  return held_;
}

}  // namespace corvane
