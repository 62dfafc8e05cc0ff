#include "platform/host/background_request.hpp"

#include <chrono>
#include <exception>
#include <stdexcept>
#include <utility>

namespace corvane {

// An answer on its way to the main context.
struct BackgroundRequest::Delivery {
  std::shared_ptr<BackgroundRequest*> to;
  Answer answer;
};

BackgroundRequest::BackgroundRequest(Done done)
    : done_(std::move(done)), self_(std::make_shared<BackgroundRequest*>(this)) {}

BackgroundRequest::~BackgroundRequest() {
  *self_ = nullptr;  // a delivery already queued finds no one
  if (!worker_.joinable()) return;
  for (int waited = 0; waited < kEndPatienceMs && !finished_->load(); waited += 5)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (finished_->load())
    worker_.join();
  else
    worker_.detach();
}

void BackgroundRequest::start(Work work) {
  if (worker_.joinable()) throw std::logic_error("a provider request is already running");
  finished_ = std::make_shared<std::atomic<bool>>(false);
  worker_ = std::thread([work = std::move(work), to = self_, finished = finished_] {
    auto* delivery = new Delivery{to, {}};
    try {
      delivery->answer.timeline = work();
    } catch (const std::exception& e) {
      delivery->answer.failure = e.what();
    } catch (...) {
      delivery->answer.failure = "an unknown exception";
    }
    // The main context takes it in; the entries built here are only read there.
    g_idle_add(&BackgroundRequest::deliver, delivery);
    finished->store(true);
  });
}

gboolean BackgroundRequest::deliver(gpointer delivery) {
  std::unique_ptr<Delivery> answer(static_cast<Delivery*>(delivery));
  BackgroundRequest* self = *answer->to;
  if (!self) return G_SOURCE_REMOVE;
  // The thread has posted its answer and is ending.
  self->worker_.join();
  self->done_(std::move(answer->answer));
  return G_SOURCE_REMOVE;
}

}  // namespace corvane
