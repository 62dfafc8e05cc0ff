#include "platform/process/runtime_dir.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvane {

PrivateDir privateRuntimeDir(bool create) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* tmp = std::getenv("TMPDIR");
  const std::string tmpDir = tmp && *tmp == '/' ? tmp : "/tmp";
  const bool shared = !(runtime && *runtime == '/');  // a folder every user can create names in
  std::string path =
      shared ? tmpDir + "/corvane-widget-" + std::to_string(::getuid()) : std::string(runtime) + "/corvane-widget";
  // In a folder all users share, someone may have taken the name first.
  const std::string remedy = shared ? "; remove it, or set XDG_RUNTIME_DIR to a folder of your own" : "";
  if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    return {std::nullopt, path + ": " + std::strerror(errno)};
  struct stat st {};
  // lstat: a link planted at the name is refused, never followed.
  if (::lstat(path.c_str(), &st) != 0) return {std::nullopt, path + ": " + std::strerror(errno)};
  if (!S_ISDIR(st.st_mode)) return {std::nullopt, path + ": not a folder" + remedy};
  if (st.st_uid != ::getuid())
    return {std::nullopt, path + ": owned by another user (uid " + std::to_string(st.st_uid) + ")" + remedy};
  if ((st.st_mode & 077) != 0) return {std::nullopt, path + ": open to other users" + remedy};
  return {path, {}};
}

std::string hostSocketPath(const std::string& dir, long pid) { return dir + "/host-" + std::to_string(pid) + ".sock"; }

}  // namespace corvane
