#pragma once
// An sRGB colour with opacity, as the view toolkit holds it. A colour may
// carry a name (a palette or system name) for tree dumps; the name plays no
// part in equality.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

struct Color {
  double red = 0;  // 0...1, sRGB
  double green = 0;
  double blue = 0;
  double opacity = 1;
  std::string_view name;  // a palette name ("cvBrand"), or empty

  // An opaque sRGB colour from a 24-bit RRGGBB number; the top 8 bits are
  // ignored (they are not alpha). Each channel is exactly k/255.0.
  static Color hex(std::uint32_t rrggbb);
  static Color white() { return Color{1, 1, 1, 1, {}}; }

  Color withOpacity(double o) const {
    Color c = *this;
    c.opacity = o;
    return c;
  }
  Color named(std::string_view n) const {
    Color c = *this;
    c.name = n;
    return c;
  }
  // "#RRGGBB" of the rounded 8-bit channels.
  std::string hexString() const;

  friend bool operator==(const Color& a, const Color& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.opacity == b.opacity;
  }
};

}  // namespace corvane
