#include "platform/process/wall_timer.hpp"

#include "platform/process/timeout.hpp"

#include <glib-unix.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <system_error>

namespace corvane {
namespace {

constexpr double kLongestWait = 86400;
// Waits up to this long (seconds) are a GLib timeout's.
constexpr double kShortWait = 2;
constexpr long kNanosPerSecond = 1'000'000'000;

}  // namespace

WallTimer::WallTimer(Fired fired) : fired_(std::move(fired)) {
  fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "timerfd_create");
  source_ = g_unix_fd_add(fd_, G_IO_IN, &WallTimer::onReady, this);
}

WallTimer::~WallTimer() {
  stopShort();
  if (source_) g_source_remove(source_);
  if (fd_ >= 0) ::close(fd_);
}

void WallTimer::armIn(double seconds) {
  if (std::isnan(seconds) || seconds > kLongestWait) seconds = kLongestWait;
  if (!(seconds > 0)) seconds = 0;
  armed_ = true;
  if (seconds <= kShortWait) {
    stopLong();
    stopShort();
    timeout_ = g_timeout_add(timeoutMilliseconds(seconds, kShortWait), &WallTimer::onTimeout, this);
    return;
  }
  stopShort();
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  // Absolute, so that it is a time of day and the kernel can tell us when
  // the clock is set; rounded up to the nanosecond so it is never early.
  const auto whole = static_cast<time_t>(seconds);
  long nanos = now.tv_nsec + static_cast<long>(std::ceil((seconds - static_cast<double>(whole)) * 1e9));
  itimerspec at{};
  at.it_value.tv_sec = now.tv_sec + whole + nanos / kNanosPerSecond;
  at.it_value.tv_nsec = nanos % kNanosPerSecond;
  ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr);
  fdArmed_ = true;
}

void WallTimer::disarm() {
  stopShort();
  stopLong();
  armed_ = false;
}

void WallTimer::stopShort() {
  if (timeout_) g_source_remove(timeout_);
  timeout_ = 0;
}

void WallTimer::stopLong() {
  if (!fdArmed_) return;
  itimerspec off{};
  ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &off, nullptr);
  fdArmed_ = false;
}

gboolean WallTimer::onTimeout(gpointer self) {
  auto* timer = static_cast<WallTimer*>(self);
  timer->timeout_ = 0;
  timer->armed_ = false;
  timer->fired_(Why::due);
  return G_SOURCE_REMOVE;
}

gboolean WallTimer::onReady(gint fd, GIOCondition /*condition*/, gpointer self) {
  auto* timer = static_cast<WallTimer*>(self);
  std::uint64_t expirations = 0;
  if (::read(fd, &expirations, sizeof expirations) == sizeof expirations) {
    timer->fdArmed_ = false;
    timer->armed_ = false;
    timer->fired_(Why::due);
  } else if (errno == ECANCELED) {
    // The clock was set: the timer is still armed for the time of day it
    // was given, which may now be far off or long past.
    timer->fired_(Why::clockSet);
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace corvane
