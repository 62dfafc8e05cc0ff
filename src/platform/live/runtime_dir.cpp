#include "platform/live/runtime_dir.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvane {

PrivateDir privateRuntimeDir(bool create) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string path = runtime && *runtime == '/' ? std::string(runtime) + "/corvane-widget"
                                                : "/tmp/corvane-widget-" + std::to_string(::getuid());
  if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    return {std::nullopt, path + ": " + std::strerror(errno)};
  struct stat st {};
  // lstat: a link planted at the name is refused, never followed.
  if (::lstat(path.c_str(), &st) != 0) return {std::nullopt, path + ": " + std::strerror(errno)};
  if (!S_ISDIR(st.st_mode)) return {std::nullopt, path + ": not a folder"};
  if (st.st_uid != ::getuid()) return {std::nullopt, path + ": owned by another user"};
  if ((st.st_mode & 077) != 0) return {std::nullopt, path + ": open to other users"};
  return {path, {}};
}

std::string hostSocketPath(const std::string& dir, long pid) { return dir + "/host-" + std::to_string(pid) + ".sock"; }

}  // namespace corvane
