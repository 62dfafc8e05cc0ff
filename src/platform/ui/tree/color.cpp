#include "platform/ui/tree/color.hpp"

#include <cmath>

namespace corvane {

Color Color::hex(std::uint32_t rrggbb) {
  auto channel = [rrggbb](int shift) { return static_cast<double>((rrggbb >> shift) & 0xFFu) / 255.0; };
  return Color{channel(16), channel(8), channel(0), 1.0, {}};
}

std::string Color::hexString() const {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out = "#";
  for (double c : {red, green, blue}) {
    long k = std::lround(c * 255.0);
    k = k < 0 ? 0 : (k > 255 ? 255 : k);
    out.push_back(digits[k >> 4]);
    out.push_back(digits[k & 0xF]);
  }
  return out;
}

}  // namespace corvane
