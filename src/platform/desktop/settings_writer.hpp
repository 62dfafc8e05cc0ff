#pragma once
// Writes a file off the main loop, the latest text winning: a person's
// settings are synced to disk at every drag's end, and on a slow home
// folder (a network share, a busy disk) a sync takes long enough to stall
// drawing. Texts that come while one is written are written once, the last
// of them. What is still to be written when the writer goes is written
// before it goes, so nothing a person set is lost at quit.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace corvane {

class SettingsWriter {
 public:
  // `failed` is called on the default main context with the reason a write
  // failed (the writer's thread never calls out itself).
  explicit SettingsWriter(std::function<void(std::string)> failed);
  ~SettingsWriter();
  SettingsWriter(const SettingsWriter&) = delete;
  SettingsWriter& operator=(const SettingsWriter&) = delete;

  // Writes `text` to `path` atomically and synced, soon.
  void write(std::string path, std::string text);
  // Waits until everything asked has been written (tests, the end).
  void flush();

 private:
  void work();

  std::function<void(std::string)> failed_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::pair<std::string, std::string>> pending_;
  bool writing_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace corvane
