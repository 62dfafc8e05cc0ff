#pragma once
// A provider request run off the main loop. Reading the snapshot file (and
// waiting out a writer's rewrite) and decoding it can take a good part of a
// second for a large file; the main loop keeps ticking, dragging and
// answering the menu meanwhile, and only takes in the finished answer.

#include <glib.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/host/widget_source.hpp"

namespace corvane {

class BackgroundRequest {
 public:
  // What the request gave: a timeline, or the reason it failed.
  struct Answer {
    std::optional<HostTimeline> timeline;
    std::string failure;
  };
  using Work = std::function<HostTimeline()>;
  using Done = std::function<void(Answer)>;

  // `done` is called on the default main context, once per request.
  explicit BackgroundRequest(Done done);
  // Drops the answer of a request still running, waiting a moment for it
  // to end (a read settles within half a second); one still running after
  // that (a file on a stalled network share) is left to end with the
  // process, so that quitting never waits on it.
  ~BackgroundRequest();
  static constexpr int kEndPatienceMs = 200;
  BackgroundRequest(const BackgroundRequest&) = delete;
  BackgroundRequest& operator=(const BackgroundRequest&) = delete;

  // Runs `work` on a thread of its own; one request at a time.
  void start(Work work);
  bool running() const { return worker_.joinable(); }

 private:
  struct Delivery;
  static gboolean deliver(gpointer delivery);

  Done done_;
  std::thread worker_;
  // Set by the worker as it ends; shared, since a worker left running may
  // outlive this.
  std::shared_ptr<std::atomic<bool>> finished_;
  // Shared with the delivery in flight, which finds it empty once this is gone.
  std::shared_ptr<BackgroundRequest*> self_;
};

}  // namespace corvane
