#pragma once
// Checks of numeric options that CLI11's own ranges let through: its range
// check compares, and every comparison with NaN is false.

#include <CLI/CLI.hpp>

#include <cmath>
#include <sstream>
#include <string>

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
            return (text.empty() ? std::string("\"\"") : text) + " not in {1,2,3}";
          },
          "{1,2,3}"};
}

}  // namespace corvane
