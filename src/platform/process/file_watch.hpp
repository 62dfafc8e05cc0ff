#pragma once
// Tells when a file changes: written in place, replaced by a rename over it
// (how the application writes the snapshot), created or removed. The folder
// is watched, so a file that does not exist yet is seen when it comes.
// Changes that come close together are told once: at most one call per
// `gap` seconds, the last change always told.

#include <gio/gio.h>

#include <chrono>
#include <functional>
#include <string>

namespace corvane {

class FileWatch {
 public:
  // Calls `changed` on the default main context. Throws std::runtime_error
  // when the folder cannot be watched.
  FileWatch(const std::string& path, std::function<void()> changed, double gap = 0.25);
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

 private:
  static void onEvent(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event, gpointer p);
  void changedNow();

  GFile* watched_ = nullptr;  // the file itself, to tell its events from its neighbours'
  GFileMonitor* monitor_ = nullptr;
  std::function<void()> changed_;
  std::chrono::steady_clock::duration gap_;
  std::chrono::steady_clock::time_point last_{};
  guint pending_ = 0;
};

}  // namespace corvane
