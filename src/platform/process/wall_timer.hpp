#pragma once
// A timer on GLib's main loop that counts the wall clock, not monotonic
// time: it fires at a time of day, also when that time went by during a
// suspend (the kernel expires it on resume, where a monotonic timer would
// wait out the rest of its time), and at once when the clock is set (an NTP
// step, a person changing the date), so that whatever waits on the clock
// works its wait out again. A timerfd on CLOCK_REALTIME with
// TFD_TIMER_CANCEL_ON_SET: nothing polls. Waits of a few seconds use a GLib
// timeout instead, which costs no system call to arm or to fire (a line
// ticking each second pays that sixty times a minute): a suspend or a clock
// set can make one of them late by no more than its own length.

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
  static gboolean onTimeout(gpointer self);
  void stopShort();
  void stopLong();

  int fd_ = -1;
  guint source_ = 0;
  guint timeout_ = 0;     // a short wait's GLib timeout
  bool fdArmed_ = false;  // a long wait's timerfd
  bool armed_ = false;
  Fired fired_;
};

}  // namespace corvane
