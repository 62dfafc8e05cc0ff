#pragma once
// A timer on GLib's main loop that counts the wall clock, not monotonic
// time: it fires at a time of day, also when that time went by during a
// suspend (the kernel expires it on resume, where a monotonic timer would
// wait out the rest of its time), and at once when the clock is set (an NTP
// step, a person changing the date), so that whatever waits on the clock
// works its wait out again. One timerfd on CLOCK_REALTIME with
// TFD_TIMER_CANCEL_ON_SET: nothing polls.

#include <glib.h>

#include <functional>

namespace corvane {

class WallTimer {
 public:
  enum class Why { due, clockSet };
  using Fired = std::function<void(Why)>;

  // Calls `fired` on the default main context. Throws std::system_error
  // when the kernel gives no timer.
  explicit WallTimer(Fired fired);
  ~WallTimer();
  WallTimer(const WallTimer&) = delete;
  WallTimer& operator=(const WallTimer&) = delete;

  // Fires `seconds` of wall time from now: at once when not above 0, a day
  // at most (NaN waits a day); replaces the wait armed before.
  void armIn(double seconds);
  // Fires no more until armed again.
  void disarm();
  bool armed() const { return armed_; }

 private:
  static gboolean onReady(gint fd, GIOCondition condition, gpointer self);

  int fd_ = -1;
  guint source_ = 0;
  bool armed_ = false;
  Fired fired_;
};

}  // namespace corvane
