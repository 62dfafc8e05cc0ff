#include "platform/ui/text/time_format.hpp"

#include <unicode/datefmt.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace corvane {
namespace {

std::string utf8(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

icu::UnicodeString unicode(const std::string& s) { return icu::UnicodeString::fromUTF8(s); }

std::unique_ptr<icu::TimeZone> zone(const std::string& id) {
  return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(unicode(id)));
}

// ICU formatters take milliseconds to build (they load locale data) and are
// not safe to share between threads: one per thread, per locale (and zone).
icu::DateFormat* shortTimeFormat(const std::string& locale, const std::string& timeZone) {
  thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<icu::DateFormat>> formats;
  auto& f = formats[{locale, timeZone}];
  if (!f) {
    f.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, icu::Locale(locale.c_str())));
    if (f) f->adoptTimeZone(zone(timeZone).release());
  }
  return f.get();
}

icu::MeasureFormat* durationFormat(const std::string& locale) {
  thread_local std::map<std::string, std::unique_ptr<icu::MeasureFormat>> formats;
  auto& f = formats[locale];
  if (!f) {
    UErrorCode status = U_ZERO_ERROR;
    f = std::make_unique<icu::MeasureFormat>(icu::Locale(locale.c_str()), UMEASFMT_WIDTH_SHORT, status);
    if (U_FAILURE(status)) f.reset();
  }
  return f.get();
}

}  // namespace

std::string formatShortTime(Date date, const std::string& locale, const std::string& timeZone) {
  icu::DateFormat* f = shortTimeFormat(locale, timeZone);
  if (!f) return {};
  icu::UnicodeString out;
  f->format(date.inCalendarRange().sinceEpoch * 1000.0, out);
  return utf8(out);
}

std::string formatRelative(Date date, Date now, const std::string& locale) {
  // Whole seconds between the two instants, in either direction. Both are
  // taken into the calendar's range first, so the distance is finite and
  // well inside the 64-bit integers whatever double a snapshot holds.
  const double seconds = std::fabs(now.inCalendarRange().timeIntervalSince(date.inCalendarRange()));
  const auto total = static_cast<std::int64_t>(std::floor(seconds));
  struct Unit {
    std::int64_t seconds;
    icu::MeasureUnit* (*make)(UErrorCode&);
  };
  const Unit units[] = {{86400, &icu::MeasureUnit::createDay},
                        {3600, &icu::MeasureUnit::createHour},
                        {60, &icu::MeasureUnit::createMinute},
                        {1, &icu::MeasureUnit::createSecond}};
  UErrorCode status = U_ZERO_ERROR;
  std::vector<icu::Measure> measures;
  std::int64_t rest = total;
  for (const Unit& u : units) {
    std::int64_t count = rest / u.seconds;
    rest %= u.seconds;
    // Start at the largest unit that is not zero, and show two units at most;
    // a zero second unit is left out ("1 min", not "1 min, 0 sec").
    if (measures.empty() && count == 0 && u.seconds != 1) continue;
    if (!measures.empty() && count == 0) break;
    measures.emplace_back(icu::Formattable(static_cast<int64_t>(count)), u.make(status), status);
    if (measures.size() == 2) break;
  }
  icu::MeasureFormat* format = durationFormat(locale);
  icu::UnicodeString out;
  icu::FieldPosition pos;
  if (format) format->formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), out, pos, status);
  return format && U_SUCCESS(status) ? utf8(out) : std::to_string(total) + " sec";
}

std::string localeFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    std::string id = value;
    id = id.substr(0, id.find_first_of(".@"));  // drop encoding and modifier
    if (id == "C" || id == "POSIX" || id.empty()) return "en_US";
    return id;
  }
  return "en_US";
}

std::string timeZoneFromEnvironment() {
  std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::detectHostTimeZone());
  if (!tz || *tz == icu::TimeZone::getUnknown()) return "UTC";
  icu::UnicodeString id;
  tz->getID(id);
  return utf8(id);
}

bool isKnownTimeZone(const std::string& id) {
  auto tz = zone(id);
  return tz && *tz != icu::TimeZone::getUnknown();
}

std::optional<std::string> canonicalLocale(const std::string& id) {
  icu::Locale loc = icu::Locale::createCanonical(id.c_str());
  if (loc.isBogus() || std::string(loc.getLanguage()).empty()) return std::nullopt;
  return std::string(loc.getName());
}

}  // namespace corvane
