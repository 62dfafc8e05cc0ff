#include "support/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Temporary files are named "<target>.tmp-<pid>-<counter>-<stamp>".
constexpr std::string_view kTemporaryMark = ".tmp-";

// A new file beside `target`, created exclusively (never an existing file)
// with mode 0666 less the umask, as any new file. The umask is never read or
// changed: it is the whole process's, and other threads create files too.
// Closed and removed when it goes out of scope, unless kept.
struct TemporaryFile {
  explicit TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
      path = target + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(stamp % 1000000007);
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd >= 0 || errno != EEXIST) break;
    }
    error = fd < 0 ? errno : 0;
  }
  ~TemporaryFile() {
    if (fd >= 0) ::close(fd);
    if (!kept && error == 0) ::unlink(path.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Closes the file; the system's error number, or 0.
  int close() {
    int status = ::close(fd);
    fd = -1;
    return status == 0 ? 0 : errno;
  }

  std::string path;
  int fd = -1;
  int error = 0;  // why it could not be created
  bool kept = false;
};

FileRead readAll(int fd, std::size_t sizeHint, std::size_t limit) {
  std::string bytes;
  bytes.reserve(std::min(sizeHint, limit) + kFileReadSlack);
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return {std::nullopt, systemReason(errno)};
    }
    if (static_cast<std::size_t>(n) > limit - bytes.size()) return {std::nullopt, tooLargeReason(limit)};
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

std::string tooLargeReason(std::size_t limit, std::optional<std::size_t> size) {
  return "too large to read" + (size ? " (" + std::to_string(*size) + " bytes)" : std::string()) + ": at most " +
         std::to_string(limit) + " bytes are read";
}

FileRead readRegularFile(const std::string& path, std::size_t limit) {
  // O_NONBLOCK keeps open() of a FIFO from waiting for a writer.
  int raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (raw < 0) return {std::nullopt, systemReason(errno)};
  FdGuard guard(raw);
  struct stat before {};
  if (::fstat(raw, &before) != 0) return {std::nullopt, systemReason(errno)};
  if (S_ISDIR(before.st_mode)) return {std::nullopt, systemReason(EISDIR)};
  if (!S_ISREG(before.st_mode)) return {std::nullopt, "Not a regular file"};
  const auto size = static_cast<std::size_t>(before.st_size);
  if (size > limit) return {std::nullopt, tooLargeReason(limit, size)};
  FileRead read = readAll(raw, size, limit);
  if (!read.bytes) return read;
  // A writer may have rewritten the file in place while it was read, or
  // renamed another file over the path (this descriptor still reads the old).
  struct stat after {
  }, atPath{};
  read.changed = ::fstat(raw, &after) != 0 || ::stat(path.c_str(), &atPath) != 0 || after.st_size != before.st_size ||
                 !sameTime(after.st_mtim, before.st_mtim) ||
                 read.bytes->size() != static_cast<std::size_t>(after.st_size) || atPath.st_dev != after.st_dev ||
                 atPath.st_ino != after.st_ino;
  read.modified = static_cast<double>(after.st_mtim.tv_sec) + static_cast<double>(after.st_mtim.tv_nsec) * 1e-9;
  return read;
}

FileRead readStandardInput(std::size_t limit) { return readAll(STDIN_FILENO, 0, limit); }

std::string writeTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path at(path);
  // As many links as the kernel follows; a longer chain (a loop) is left to
  // the rename, which then fails with the system's reason.
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec)) || ec) break;
    fs::path to = fs::read_symlink(at, ec);
    if (ec) break;
    at = to.is_absolute() ? to : at.parent_path() / to;
  }
  return at.string();
}

std::optional<std::string> writeFileAtomically(const std::string& requested, std::string_view bytes,
                                               Durability durability) {
  const std::string path = writeTarget(requested);
  struct stat old {};
  const bool exists = ::lstat(path.c_str(), &old) == 0;
  // Renaming over a device node, a folder or a socket would replace what
  // is not ours (as root, /dev/null with a picture).
  if (exists && !S_ISREG(old.st_mode)) return std::string(kNotRegularFile);
  TemporaryFile tmp(path);
  if (tmp.fd < 0) return systemReason(tmp.error);
  // The file replaced keeps its permissions; the owner stays this process's.
  if (exists && ::fchmod(tmp.fd, old.st_mode & 07777) != 0) return systemReason(errno);
  // The rename alone keeps readers from ever seeing half a file. Surviving a
  // crash also needs the bytes on the disk before the rename, or the file can
  // come back empty. A failed close can still report a failed write, so it is
  // checked before the rename.
  if (!writeAll(tmp.fd, bytes)) return systemReason(errno);
  if (durability == Durability::synced && ::fsync(tmp.fd) != 0) return systemReason(errno);
  if (int err = tmp.close()) return systemReason(err);
  if (::rename(tmp.path.c_str(), path.c_str()) != 0) return systemReason(errno);
  tmp.kept = true;
  if (durability == Durability::synced) {
    // The rename itself is on the disk once the folder is.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }
  return std::nullopt;
}

int removeStaleTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const std::string prefix = target.filename().string() + std::string(kTemporaryMark);
  std::error_code ec;
  int removed = 0;
  for (fs::directory_iterator it(target.parent_path().empty() ? fs::path(".") : target.parent_path(), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    // The writer's process id comes first; a file whose process still runs
    // may be a write in progress (another host writing the same folder).
    const std::string rest = name.substr(prefix.size());
    const std::size_t digits = rest.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string::npos || rest[digits] != '-') continue;
    const long pid = std::strtol(rest.substr(0, digits).c_str(), nullptr, 10);
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code gone;
    if (fs::remove(it->path(), gone)) ++removed;
  }
  return removed;
}

}  // namespace corvane
