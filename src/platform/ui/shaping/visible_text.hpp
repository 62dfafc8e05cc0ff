#pragma once
// What of a string a widget can ever show, and how the characters it cannot
// draw look. Shaping costs grow with the text, the widget does not: a text is
// cut at a grapheme boundary past anything the largest canvas could show
// before Pango sees it, so a megabyte note costs what a screenful does.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The largest canvas any family draws on, in points.
inline constexpr double kLargestCanvasWidth = 364;
inline constexpr double kLargestCanvasHeight = 382;

// How much of a text can be visible: at most `lines` lines (paragraphs
// included) of at most `graphemesPerLine` graphemes each. `wraps`: the text
// is broken into lines at a width; otherwise each paragraph is one line and
// is cut on its own.
struct TextBudget {
  std::size_t graphemesPerLine = 0;
  std::size_t lines = 0;
  bool wraps = false;
};

// The budget of a text at `fontSize` laid out at `width` (none: one line per
// paragraph, as wide as the widest canvas) with at most `maxLines` lines (0:
// no limit) in `height` (none: the tallest canvas's): the lines that fit,
// and one more, of as many graphemes as the narrowest glyph allows.
TextBudget textBudget(double fontSize, std::optional<double> width, int maxLines,
                      std::optional<double> height = std::nullopt);

// `text` cut to `budget` at a grapheme boundary, with its controls made
// visible: C0 controls (but tab, line feed and carriage return) and DEL
// become their control pictures (U+2400 to U+2421), C1 controls and bytes
// that are not UTF-8 become U+FFFD. Embedded NULs are characters like any
// other: nothing after them is lost.
std::string visibleText(std::string_view text, const TextBudget& budget);

}  // namespace corvane
