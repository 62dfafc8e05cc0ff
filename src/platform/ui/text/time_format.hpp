#pragma once
// Locale-aware time texts (ICU, CLDR data): the short time of day and the
// live relative duration, plus resolving the user's locale and time zone.

#include <optional>
#include <string>

#include "platform/protocol/date.hpp"

namespace corvane {

// The time of day of `date`, short style without seconds ("3:45 PM" in
// en_US, "15:45" in de_DE), in the given locale and IANA time zone. A date
// outside the calendar's range reads as the nearest edge of that range.
std::string formatShortTime(Date date, const std::string& locale, const std::string& timeZone);

// The distance between `date` and `now` as a short duration of its two
// largest units ("11 min, 14 sec", "2 hr, 5 min", "3 days, 4 hr"), always
// positive: a date in the future counts down to it. Dates outside the
// calendar's range count from its nearest edge, so the longest distance is
// about 4.3 billion days.
std::string formatRelative(Date date, Date now, const std::string& locale);

// The locale of LC_ALL, LC_TIME or LANG (first one set), as an ICU id;
// "C", "POSIX" or none give "en_US".
std::string localeFromEnvironment();
// TZ when set, else the system's zone (systemTimeZone()).
std::string timeZoneFromEnvironment();
// The zone the system is set to: the name /etc/localtime (`link`) leads to
// below a zoneinfo folder, else ICU's guess, else "UTC". Read anew on every
// call: the system's zone changes (travel, timedatectl set-timezone).
std::string systemTimeZone(const std::string& link = "/etc/localtime");
// The ICU id of a zone named as TZ may name it: an IANA name (a leading ':'
// is dropped, as the C library does) or a POSIX zone without daylight
// saving time, such as "UTC0" or "JST-9" (hours west of Greenwich). None
// when it names no zone ICU can use.
std::optional<std::string> resolveTimeZone(const std::string& name);
// Whether ICU knows the zone id, and the locale id's canonical form.
bool isKnownTimeZone(const std::string& id);
std::optional<std::string> canonicalLocale(const std::string& id);
// Whether ICU has data for a canonical locale's language, and its region
// (if it names one) is a country ICU knows: "de_AT" yes, "xx_YY" no. ICU
// itself falls back to its root data for any locale.
bool hasLocaleData(const std::string& canonical);

}  // namespace corvane
