#include "platform/desktop/settings_writer.hpp"

#include <glib.h>

#include "support/file_io.hpp"

namespace corvane {

SettingsWriter::SettingsWriter(std::function<void(std::string)> failed) : failed_(std::move(failed)) {}

SettingsWriter::~SettingsWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void SettingsWriter::write(std::string path, std::string text) {
  {
    std::lock_guard lock(mutex_);
    pending_.emplace(std::move(path), std::move(text));
    // Started at the first write: a run nobody changes needs no thread.
    if (!thread_.joinable()) thread_ = std::thread([this] { work(); });
  }
  changed_.notify_all();
}

void SettingsWriter::flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !pending_ && !writing_; });
}

void SettingsWriter::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ || stopping_; });
    if (!pending_) return;  // stopping, with nothing left to write
    auto [path, text] = std::move(*pending_);
    pending_.reset();
    writing_ = true;
    lock.unlock();
    auto error = writeFileAtomically(path, text, Durability::synced);
    lock.lock();
    writing_ = false;
    changed_.notify_all();
    if (error && failed_) {
      // Said on the main context, where the rest of the program lives.
      auto* said = new std::pair<std::function<void(std::string)>, std::string>(failed_, *error);
      g_idle_add(
          +[](gpointer p) -> gboolean {
            std::unique_ptr<std::pair<std::function<void(std::string)>, std::string>> s(
                static_cast<std::pair<std::function<void(std::string)>, std::string>*>(p));
            s->first(s->second);
            return G_SOURCE_REMOVE;
          },
          said);
    }
  }
}

}  // namespace corvane
