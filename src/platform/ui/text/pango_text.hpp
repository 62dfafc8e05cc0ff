#pragma once
// Text shaping with Pango: measuring for layout and layouts for painting,
// made the same way so what is drawn is what was measured.

#include <map>
#include <tuple>

#include "platform/ui/text/fonts.hpp"
#include "platform/ui/text/text_measure.hpp"

namespace corvane {

// A Pango layout for `text`: wrapping by words (then characters) at `width`,
// at most `maxLines` lines with a trailing "…" on the last (0: no limit).
// `height`: how much of it can be seen, if known; it bounds what is shaped.
GObjectPtr<PangoLayout> makeTextLayout(const FontLibrary& fonts, const std::string& text, const Font& font,
                                       std::optional<double> width, int maxLines,
                                       std::optional<double> height = std::nullopt);

// The same layout of `text` as it is, uncut: longer texts look the same as
// their cut form, at more cost.
GObjectPtr<PangoLayout> makeWholeTextLayout(const FontLibrary& fonts, const std::string& text, const Font& font,
                                            std::optional<double> width, int maxLines);

class PangoTextMeasurer final : public TextMeasurer {
 public:
  explicit PangoTextMeasurer(const FontLibrary& fonts) : fonts_(fonts) {}
  TextMetrics measure(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                      std::optional<double> height = std::nullopt) override;
  // Drops every measurement of `text`, at any width and in any font.
  void forget(const std::string& text) override;
  // The layout measured for exactly these arguments, if it was: the painter
  // draws it rather than shaping the text again.
  GObjectPtr<PangoLayout> measuredLayout(const std::string& text, const Font& font, std::optional<double> width,
                                         int maxLines, std::optional<double> height) const;

 private:
  using Key = std::tuple<std::string, double, int, int, double, int>;
  struct Measured {
    TextMetrics metrics;
    GObjectPtr<PangoLayout> layout;
  };
  static Key keyOf(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                   std::optional<double> height);
  const FontLibrary& fonts_;
  std::map<Key, Measured> cache_;  // layout asks the same question often
};

}  // namespace corvane
