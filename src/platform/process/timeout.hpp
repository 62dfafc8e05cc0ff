#pragma once
// Delays for GLib timeouts, which count whole milliseconds in a guint: a
// wait computed from host dates and a clock's speed may be anything a
// double holds, and converting one out of range to an integer is undefined.

#include <glib.h>

#include <cmath>

namespace corvane {

// Whole milliseconds for a timeout that waits `seconds` of wall time,
// rounded up so that it never fires before its time, and kept from 0 to
// `most` seconds (a day at most); NaN waits `most`.
inline guint timeoutMilliseconds(double seconds, double most) {
  most = std::fmin(std::fmax(most, 0.0), 86400.0);
  if (std::isnan(seconds) || seconds > most) seconds = most;
  if (!(seconds > 0)) return 0;
  return static_cast<guint>(std::ceil(seconds * 1000));
}

}  // namespace corvane
