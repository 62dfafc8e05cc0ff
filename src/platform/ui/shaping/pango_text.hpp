#pragma once
// Text shaping with Pango: measuring for layout and layouts for painting,
// made the same way so what is drawn is what was measured.

#include <map>
#include <tuple>

#include "platform/ui/shaping/fonts.hpp"
#include "platform/ui/text/text_measure.hpp"

namespace corvane {

// `text` with a word joiner before each character where a line break is
// offered inside a grapheme (an emoji modifier after another, a mark after
// a break), which Pango 1.50 aborts the process laying out at a narrow
// width. Texts without such a place come back as they are.
std::string withoutBreaksInsideGraphemes(const std::string& text);

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

// The Pango layout a measurement made: layout hands it to the painter in
// the box it measured, so what is drawn is what was measured and nothing is
// shaped twice. It belongs to the fonts (and thread) that shaped it.
struct ShapedText {
  GObjectPtr<PangoLayout> layout;
  const FontLibrary* fonts = nullptr;
};

class PangoTextMeasurer final : public TextMeasurer {
 public:
  // A measurement updates made that none of this many passes asked for again
  // is let go.
  static constexpr unsigned kPassesKept = 8;
  // Nor are more measurements than this ever kept: past it, the cache starts
  // afresh (boxes keep the layouts they were given to draw).
  static constexpr std::size_t kMaxKept = 1024;

  explicit PangoTextMeasurer(const FontLibrary& fonts) : fonts_(fonts) {}
  // Every answer carries the layout it was measured on (`shaped`).
  TextMetrics measure(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                      std::optional<double> height = std::nullopt) override;
  void passDone(Pass pass) override;
  // How many measurements are kept.
  std::size_t size() const { return cache_.size(); }

 private:
  // By what is shaped (the text cut to what can be seen), so a huge text is
  // not copied into every key.
  using Key = std::tuple<std::string, double, int, int, double, int>;
  struct Kept {
    TextMetrics metrics;
    unsigned pass;       // the last layout pass that asked for it
    bool whole = false;  // the last whole pass asked for it
  };
  static Key keyOf(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                   std::optional<double> height);
  TextMetrics keep(Key key, TextMetrics metrics);

  const FontLibrary& fonts_;
  std::map<Key, Kept> cache_;  // layout asks the same question often
  unsigned pass_ = 0;
};

}  // namespace corvane
