#pragma once
// Points, sizes and rectangles in points.

#include <algorithm>
#include <optional>

namespace corvane {

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  double x = 0, y = 0, width = 0, height = 0;
  double maxX() const { return x + width; }
  double maxY() const { return y + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The smallest rectangle that holds both.
inline Rect unite(const Rect& a, const Rect& b) {
  const double x = std::min(a.x, b.x), y = std::min(a.y, b.y);
  return {x, y, std::max(a.maxX(), b.maxX()) - x, std::max(a.maxY(), b.maxY()) - y};
}
// The same, where a missing rectangle adds nothing.
inline std::optional<Rect> unite(const std::optional<Rect>& a, const std::optional<Rect>& b) {
  if (!a) return b;
  if (!b) return a;
  return unite(*a, *b);
}

}  // namespace corvane
