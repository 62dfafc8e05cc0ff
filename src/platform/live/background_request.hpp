#pragma once
// A provider request run off the main loop. Reading the snapshot file (and
// waiting out a writer's rewrite) and decoding it can take a good part of a
// second for a large file; the main loop keeps ticking, dragging and
// answering the menu meanwhile, and only takes in the finished answer.

#include <glib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/live/widget_source.hpp"

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
  // Waits for a request still running (a read settles within half a
  // second) and drops its answer.
  ~BackgroundRequest();
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
  // Shared with the delivery in flight, which finds it empty once this is gone.
  std::shared_ptr<BackgroundRequest*> self_;
};

}  // namespace corvane
