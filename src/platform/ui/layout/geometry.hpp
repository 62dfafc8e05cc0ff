#pragma once
// Points, sizes and rectangles in points.

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

}  // namespace corvane
