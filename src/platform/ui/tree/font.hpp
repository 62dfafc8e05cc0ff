#pragma once
// The toolkit's system font: a size in points, an optional weight and an
// optional design. No weight means the regular weight; no design the
// proportional system face.

#include <optional>
#include <string_view>

namespace corvane {

enum class FontWeight { medium, semibold, bold };
enum class FontDesign { monospaced };

struct Font {
  double size = 13;
  std::optional<FontWeight> weight;
  std::optional<FontDesign> design;

  static Font system(double size, std::optional<FontWeight> weight = std::nullopt,
                     std::optional<FontDesign> design = std::nullopt) {
    return Font{size, weight, design};
  }

  friend bool operator==(const Font&, const Font&) = default;
};

std::string_view weightName(FontWeight w);
std::string_view designName(FontDesign d);

}  // namespace corvane
