#include "platform/ui/text/time_format.hpp"

#include <unicode/datefmt.h>
#include <unicode/decimfmt.h>
#include <unicode/listformatter.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>
#include <unicode/numberformatter.h>
#include <unicode/timezone.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
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

// A duration as ICU's short MeasureFormat writes it, from parts made once:
// MeasureFormat builds a fresh number formatter for every measure it
// formats (most of a tick's formatting), while a kept one compiles itself
// after a few uses. Its parts, as MeasureFormat makes them: each count with
// the locale's decimal format and the unit's short name (all but the last
// count with that format cut to whole numbers), joined as a short unit list.
struct DurationParts {
  static constexpr int kUnits = 4;  // days, hours, minutes, seconds
  std::optional<icu::number::LocalizedNumberFormatter> whole[kUnits], last[kUnits];
  std::unique_ptr<icu::ListFormatter> list;
  // Counts already written, by unit, place and count: a ticking duration
  // writes the same few dozen ("14 sec", "1 min") again and again. Bounded,
  // since a person can leave the widget running for months.
  std::map<std::tuple<int, bool, std::int64_t>, icu::UnicodeString> written;
  static constexpr std::size_t kMaxWritten = 512;

  icu::UnicodeString piece(int unit, bool isLast, std::int64_t count, UErrorCode& status) {
    auto key = std::make_tuple(unit, isLast, count);
    if (auto it = written.find(key); it != written.end()) return it->second;
    const auto& numbers = isLast ? last[unit] : whole[unit];
    // A double, as MeasureFormat hands its counts over.
    icu::UnicodeString text = numbers->formatDouble(static_cast<double>(count), status).toString(status);
    if (U_FAILURE(status)) return text;
    if (written.size() >= kMaxWritten) written.clear();
    written.emplace(key, text);
    return text;
  }
};

std::unique_ptr<DurationParts> makeDurationParts(const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::NumberFormat> plain(icu::NumberFormat::createInstance(locale, UNUM_DECIMAL, status));
  std::unique_ptr<icu::NumberFormat> integer(icu::NumberFormat::createInstance(locale, UNUM_DECIMAL, status));
  auto* plainDecimal = dynamic_cast<icu::DecimalFormat*>(plain.get());
  auto* integerDecimal = dynamic_cast<icu::DecimalFormat*>(integer.get());
  if (U_FAILURE(status) || !plainDecimal || !integerDecimal) return nullptr;  // MeasureFormat's other path
  integerDecimal->setMaximumFractionDigits(0);
  integerDecimal->setRoundingMode(icu::DecimalFormat::kRoundDown);
  const icu::number::LocalizedNumberFormatter* plainNumbers = plainDecimal->toNumberFormatter(status);
  const icu::number::LocalizedNumberFormatter* integerNumbers = integerDecimal->toNumberFormatter(status);
  if (U_FAILURE(status) || !plainNumbers || !integerNumbers) return nullptr;
  auto parts = std::make_unique<DurationParts>();
  const icu::MeasureUnit units[DurationParts::kUnits] = {icu::MeasureUnit::getDay(), icu::MeasureUnit::getHour(),
                                                         icu::MeasureUnit::getMinute(), icu::MeasureUnit::getSecond()};
  for (int i = 0; i < DurationParts::kUnits; ++i) {
    parts->whole[i] = integerNumbers->unit(units[i]).unitWidth(UNUM_UNIT_WIDTH_SHORT);
    parts->last[i] = plainNumbers->unit(units[i]).unitWidth(UNUM_UNIT_WIDTH_SHORT);
  }
  parts->list.reset(icu::ListFormatter::createInstance(locale, ULISTFMT_TYPE_UNITS, ULISTFMT_WIDTH_SHORT, status));
  if (U_FAILURE(status) || !parts->list) return nullptr;
  return parts;
}

// Per thread, per locale; none where MeasureFormat itself is used.
DurationParts* durationParts(const std::string& locale) {
  thread_local std::map<std::string, std::unique_ptr<DurationParts>> made;
  auto [it, added] = made.try_emplace(locale);
  if (added) it->second = makeDurationParts(icu::Locale(locale.c_str()));
  return it->second.get();
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
  // Start at the largest unit that is not zero, and show two units at most;
  // a zero second unit is left out ("1 min", not "1 min, 0 sec").
  struct Shown {
    int unit;
    std::int64_t count;
  };
  Shown shown[2];
  int count = 0;
  std::int64_t rest = total;
  for (int i = 0; i < 4; ++i) {
    std::int64_t n = rest / units[i].seconds;
    rest %= units[i].seconds;
    if (count == 0 && n == 0 && units[i].seconds != 1) continue;
    if (count > 0 && n == 0) break;
    shown[count++] = {i, n};
    if (count == 2) break;
  }
  UErrorCode status = U_ZERO_ERROR;
  if (DurationParts* parts = durationParts(locale)) {
    icu::UnicodeString pieces[2];
    for (int i = 0; i < count; ++i) pieces[i] = parts->piece(shown[i].unit, i == count - 1, shown[i].count, status);
    icu::UnicodeString out;
    if (count == 1)
      out = pieces[0];
    else
      parts->list->format(pieces, count, out, status);
    if (U_SUCCESS(status)) return utf8(out);
    status = U_ZERO_ERROR;
  }
  std::vector<icu::Measure> measures;
  measures.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    measures.emplace_back(icu::Formattable(static_cast<int64_t>(shown[i].count)), units[shown[i].unit].make(status),
                          status);
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
  const char* tz = std::getenv("TZ");
  if (tz && *tz) return tz;
  return systemTimeZone();
}

std::string systemTimeZone(const std::string& link) {
  // ICU keeps the first answer it finds for the process's life: the link is
  // read here, so a zone changed while the widget runs is seen.
  std::error_code ec;
  const std::string target = std::filesystem::read_symlink(link, ec).string();
  constexpr std::string_view kZoneinfo = "zoneinfo/";
  if (const auto at = target.rfind(kZoneinfo); !ec && at != std::string::npos) {
    std::string id = target.substr(at + kZoneinfo.size());
    if (id.rfind("posix/", 0) == 0 || id.rfind("right/", 0) == 0) id = id.substr(6);
    if (isKnownTimeZone(id)) return id;
  }
  std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::detectHostTimeZone());
  if (!tz || *tz == icu::TimeZone::getUnknown()) return "UTC";
  icu::UnicodeString id;
  tz->getID(id);
  return utf8(id);
}

namespace {

// "JST-9", "UTC0", "<+0530>-5:30": a name (three letters or more, or
// anything in angle brackets), then the hours to add to local time to get
// UTC, with optional minutes and seconds. Anything after (a daylight saving
// rule) is not a fixed zone: none.
std::optional<std::string> posixFixedZone(std::string_view tz) {
  std::size_t i = 0;
  if (!tz.empty() && tz[0] == '<') {
    i = tz.find('>');
    if (i == std::string_view::npos) return std::nullopt;
    ++i;
  } else {
    while (i < tz.size() && std::isalpha(static_cast<unsigned char>(tz[i]))) ++i;
    if (i < 3) return std::nullopt;
  }
  int sign = 1;
  if (i < tz.size() && (tz[i] == '+' || tz[i] == '-')) sign = tz[i++] == '-' ? -1 : 1;
  int parts[3] = {0, 0, 0};
  for (int p = 0; p < 3; ++p) {
    if (p > 0) {
      if (i >= tz.size() || tz[i] != ':') break;
      ++i;
    }
    const std::size_t start = i;
    while (i < tz.size() && i - start < 2 && std::isdigit(static_cast<unsigned char>(tz[i])))
      parts[p] = parts[p] * 10 + (tz[i++] - '0');
    if (i == start) return std::nullopt;
  }
  if (i != tz.size() || parts[0] > 24 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  // POSIX counts west of Greenwich; ICU's custom ids count east.
  char id[64];
  std::snprintf(id, sizeof id, "GMT%c%02d:%02d", sign > 0 ? '-' : '+', parts[0], parts[1]);
  if (parts[0] == 0 && parts[1] == 0) return std::string("UTC");
  if (parts[2] != 0)
    std::snprintf(id, sizeof id, "GMT%c%02d:%02d:%02d", sign > 0 ? '-' : '+', parts[0], parts[1], parts[2]);
  return std::string(id);
}

}  // namespace

std::optional<std::string> resolveTimeZone(const std::string& name) {
  const std::string id = !name.empty() && name[0] == ':' ? name.substr(1) : name;
  if (id.empty()) return std::nullopt;
  if (isKnownTimeZone(id)) return id;
  auto fixed = posixFixedZone(id);
  if (fixed && isKnownTimeZone(*fixed)) return fixed;
  return std::nullopt;
}

bool isKnownTimeZone(const std::string& id) {
  auto tz = zone(id);
  return tz && *tz != icu::TimeZone::getUnknown();
}

bool hasLocaleData(const std::string& canonical) {
  const icu::Locale loc(canonical.c_str());
  const std::string_view language = loc.getLanguage();
  const std::string_view country = loc.getCountry();
  // A region given as a UN M.49 number (es_419) has no ISO country code.
  if (!country.empty() && std::string_view(loc.getISO3Country()).empty() &&
      !(country.size() == 3 && std::isdigit(static_cast<unsigned char>(country[0]))))
    return false;
  int32_t count = 0;
  const icu::Locale* available = icu::Locale::getAvailableLocales(count);
  for (int32_t i = 0; i < count; ++i)
    if (language == available[i].getLanguage()) return true;
  return false;
}

std::optional<std::string> canonicalLocale(const std::string& id) {
  icu::Locale loc = icu::Locale::createCanonical(id.c_str());
  if (loc.isBogus() || std::string(loc.getLanguage()).empty()) return std::nullopt;
  return std::string(loc.getName());
}

}  // namespace corvane
