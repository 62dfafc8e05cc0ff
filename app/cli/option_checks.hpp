#pragma once
// Checks of options whose values CLI11's own checks let through or describe
// badly: its range check compares (every comparison with NaN is false) and
// prints its bounds in full.

#include <CLI/CLI.hpp>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace corvane {

// A finite number from `least` to `most`; NaN, infinities and anything
// outside are refused with a message naming the range.
inline CLI::Validator finiteBetween(double least, double most) {
  std::ostringstream range;
  range.precision(15);
  range << "a finite number from " << least << " to " << most;
  const std::string expected = range.str();
  CLI::Validator check(
      [least, most, expected](std::string& text) -> std::string {
        std::istringstream in(text);
        double value = 0;
        in >> value;
        if (in.fail() || !in.eof() || !std::isfinite(value) || value < least || value > most)
          return "must be " + expected + ", not " + text;
        return {};
      },
      "NUMBER");
  return check;
}

// Pixels per point: exactly 1, 2 or 3 (CLI11's member check lets an empty
// text through, which then reads as 0).
inline CLI::Validator scaleCheck() {
  return {[](std::string& text) -> std::string {
            if (text == "1" || text == "2" || text == "3") return {};
            return "must be 1, 2 or 3 pixels per point, not " + (text.empty() ? std::string("\"\"") : text);
          },
          "{1,2,3}"};
}

// A monitor's number: 0 for the first, as GDK counts them.
inline CLI::Validator monitorCheck() {
  return {[](std::string& text) -> std::string {
            std::istringstream in(text);
            int number = -1;
            in >> number;
            if (in.fail() || !in.eof() || number < 0 || number > 99)
              return "must be a monitor's number, 0 for the first (at most 99), not " + text;
            return {};
          },
          "N"};
}

// A moment as seconds since 1970 or as an ISO 8601 date and time with its
// zone (2026-12-09T14:30:00Z, 2026-12-09T15:30+01:00), or nothing.
std::optional<double> parseInstant(std::string_view text);
// "2026-12-09T14:30:00Z": whole seconds, years 1 to 9999.
std::string isoTime(double seconds);
// --now: a moment parseInstant reads, from year 1 to 9999; the option then
// reads the seconds.
CLI::Validator instantCheck();

}  // namespace corvane
