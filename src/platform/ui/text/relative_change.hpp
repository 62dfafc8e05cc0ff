#pragma once
// When a live relative time next reads differently. The relative style shows
// the two largest units of the distance (formatRelative): seconds are shown
// below an hour, so it changes every second; then hours and minutes, every
// minute; then days and hours, every hour.

#include "platform/protocol/date.hpp"

namespace corvane {

// The first instant after `now` at which the relative text of `date` differs
// from the one it shows at `now`.
Date nextRelativeChange(Date date, Date now);

}  // namespace corvane
