#include "platform/process/file_watch.hpp"

#include <stdexcept>

#include "platform/process/timeout.hpp"
#include "support/fault.hpp"

namespace corvane {

FileWatch::FileWatch(const std::string& path, std::function<void()> changed, double gap)
    : watched_(g_file_new_for_path(path.c_str())),
      changed_(std::move(changed)),
      gap_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(gap))) {
  GFile* folder = g_file_get_parent(watched_);
  GError* error = nullptr;
  // WATCH_MOVES: a rename over the file comes as one event naming it.
  if (folder) monitor_ = g_file_monitor_directory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, &error);
  if (folder) g_object_unref(folder);
  if (!monitor_) {
    const std::string reason = error ? error->message : "it has no folder";
    if (error) g_error_free(error);
    g_object_unref(watched_);
    throw std::runtime_error("cannot watch " + path + ": " + reason);
  }
  g_signal_connect(monitor_, "changed", G_CALLBACK(onEvent), this);
}

FileWatch::~FileWatch() {
  if (pending_) g_source_remove(pending_);
  g_signal_handlers_disconnect_by_data(monitor_, this);
  g_file_monitor_cancel(monitor_);
  g_object_unref(monitor_);
  g_object_unref(watched_);
}

void FileWatch::onEvent(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event, gpointer p) {
  auto* self = static_cast<FileWatch*>(p);
  const bool ours = (file && g_file_equal(file, self->watched_)) || (other && g_file_equal(other, self->watched_));
  if (!ours) return;
  switch (event) {
    case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
    case G_FILE_MONITOR_EVENT_CREATED:
    case G_FILE_MONITOR_EVENT_DELETED:
    case G_FILE_MONITOR_EVENT_RENAMED:
    case G_FILE_MONITOR_EVENT_MOVED_IN:
    case G_FILE_MONITOR_EVENT_MOVED_OUT:
    case G_FILE_MONITOR_EVENT_CHANGED: break;
    default: return;  // attributes, mounts
  }
  if (self->pending_) return;  // told at the end of the gap
  const auto since = std::chrono::steady_clock::now() - self->last_;
  if (since >= self->gap_) {
    self->changedNow();
    return;
  }
  const double wait = std::chrono::duration<double>(self->gap_ - since).count();
  self->pending_ = g_timeout_add(
      timeoutMilliseconds(wait, 1),
      +[](gpointer s) -> gboolean {
        auto* watch = static_cast<FileWatch*>(s);
        watch->pending_ = 0;
        watch->changedNow();
        return G_SOURCE_REMOVE;
      },
      self);
}

void FileWatch::changedNow() {
  last_ = std::chrono::steady_clock::now();
  contained("a change of a watched file", [this] { changed_(); });
}

}  // namespace corvane
