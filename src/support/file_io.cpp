#include "support/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane {
namespace {

// Closes a file descriptor when it goes out of scope.
struct FdGuard {
  explicit FdGuard(int f) : fd(f) {}
  ~FdGuard() { ::close(fd); }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int fd;
};

std::string systemReason(int err) { return std::strerror(err); }

FileRead readAll(int fd, std::size_t sizeHint) {
  std::string bytes;
  bytes.reserve(sizeHint + kFileReadSlack);
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return {std::nullopt, systemReason(errno)};
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  return {std::move(bytes), {}};
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

FileRead readRegularFile(const std::string& path) {
  // O_NONBLOCK keeps open() of a FIFO from waiting for a writer.
  int raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (raw < 0) return {std::nullopt, systemReason(errno)};
  FdGuard guard(raw);
  struct stat st {};
  if (::fstat(raw, &st) != 0) return {std::nullopt, systemReason(errno)};
  if (S_ISDIR(st.st_mode)) return {std::nullopt, systemReason(EISDIR)};
  if (!S_ISREG(st.st_mode)) return {std::nullopt, "Not a regular file"};
  return readAll(raw, static_cast<std::size_t>(st.st_size));
}

FileRead readStandardInput() { return readAll(STDIN_FILENO, 0); }

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes) {
  std::string tmp = path + ".tmp-XXXXXX";
  int raw = ::mkstemp(tmp.data());
  if (raw < 0) return systemReason(errno);
  FdGuard guard(raw);
  // mkstemp creates the file 0600; give it the usual permissions of a new file.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(raw, 0666 & ~mask);
  // No fsync: the rename alone keeps readers from ever seeing half a file,
  // which is what callers need; surviving a power cut is not.
  if (!writeAll(raw, bytes)) {
    int err = errno;
    ::unlink(tmp.c_str());
    return systemReason(err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return systemReason(err);
  }
  return std::nullopt;
}

}  // namespace corvane
