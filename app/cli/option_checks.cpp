#include "app/cli/option_checks.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace corvane {
namespace {

// The moments --now takes: years 1 to 9999, as ISO 8601 writes them
// without an expanded year.
constexpr double kFirstInstant = -62135596800;  // 0001-01-01T00:00:00Z
constexpr double kLastInstant = 253402300799;   // 9999-12-31T23:59:59Z

bool digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// YYYY-MM-DDTHH:MM[:SS[.fraction]] followed by Z or ±HH:MM.
std::optional<double> parseIsoTime(std::string_view t) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!digits(t, 0, 4, year) || t.size() < 16 || t[4] != '-' || !digits(t, 5, 2, month) || t[7] != '-' ||
      !digits(t, 8, 2, day) || (t[10] != 'T' && t[10] != 't' && t[10] != ' ') || !digits(t, 11, 2, hour) ||
      t[13] != ':' || !digits(t, 14, 2, minute))
    return std::nullopt;
  std::size_t at = 16;
  double fraction = 0;
  if (at < t.size() && t[at] == ':') {
    if (!digits(t, at + 1, 2, second)) return std::nullopt;
    at += 3;
    if (at < t.size() && (t[at] == '.' || t[at] == ',')) {
      double scale = 0.1;
      for (++at; at < t.size() && t[at] >= '0' && t[at] <= '9'; ++at, scale /= 10) fraction += (t[at] - '0') * scale;
    }
  }
  int offset = 0;  // seconds east of UTC
  if (at < t.size() && (t[at] == 'Z' || t[at] == 'z')) {
    ++at;
  } else if (at < t.size() && (t[at] == '+' || t[at] == '-')) {
    int oh = 0, om = 0;
    if (!digits(t, at + 1, 2, oh) || at + 3 >= t.size() || t[at + 3] != ':' || !digits(t, at + 4, 2, om) || oh > 23 ||
        om > 59)
      return std::nullopt;
    offset = (t[at] == '-' ? -1 : 1) * (oh * 3600 + om * 60);
    at += 6;
  } else {
    return std::nullopt;  // a time without its zone would depend on the machine's
  }
  using namespace std::chrono;
  const year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)),
                            std::chrono::day(unsigned(day))};
  if (at != t.size() || year < 1 || !date.ok() || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  const double days = double(sys_days(date).time_since_epoch().count());
  return days * 86400 + hour * 3600 + minute * 60 + second + fraction - offset;
}

}  // namespace

std::optional<double> parseInstant(std::string_view text) {
  if (auto iso = parseIsoTime(text)) return iso;
  std::istringstream in{std::string(text)};
  double seconds = 0;
  in >> seconds;
  if (in.fail() || !in.eof() || !std::isfinite(seconds)) return std::nullopt;
  return seconds;
}

std::string isoTime(double seconds) {
  using namespace std::chrono;
  const double whole = std::floor(seconds);
  const auto day = sys_days(floor<days>(sys_seconds(std::chrono::seconds(static_cast<long long>(whole)))));
  const year_month_day date(day);
  const long long rest = static_cast<long long>(whole) - day.time_since_epoch().count() * 86400LL;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lldZ", int(date.year()), unsigned(date.month()),
                unsigned(date.day()), rest / 3600, rest / 60 % 60, rest % 60);
  return text;
}

CLI::Validator instantCheck() {
  const std::string range = "seconds since 1970 or an ISO 8601 time such as 2026-12-09T14:30:00Z, from " +
                            isoTime(kFirstInstant) + " to " + isoTime(kLastInstant);
  return {[range](std::string& text) -> std::string {
            const auto seconds = parseInstant(text);
            if (!seconds || *seconds < kFirstInstant || *seconds > kLastInstant)
              return "must be " + range + ", not " + text;
            std::ostringstream out;
            out.precision(17);
            out << *seconds;
            text = out.str();  // what the option reads
            return {};
          },
          "TIME"};
}

}  // namespace corvane
