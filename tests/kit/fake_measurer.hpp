#pragma once
// A text measurer with fixed metrics, so layout can be tested with numbers
// worked out by hand and no fonts at all. For a font of size s every
// character advances s/2, a line is 1.5 s high and its baseline lies 1.25 s
// below its top (all exact in binary: size 10 gives 5, 15 and 12.5).
//
// It wraps as the Pango measurer does: by words at the offered width, a word
// longer than a line broken between characters; at most `maxLines` lines,
// the last of them cut to end in "…" when text is left over; no width lays
// out one line per paragraph. Every question asked is recorded.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/text/text_measure.hpp"

namespace corvane::testing {

class FakeMeasurer final : public TextMeasurer {
 public:
  static constexpr double kAdvance = 0.5, kLineHeight = 1.5, kBaseline = 1.25;  // per point of font size
  static constexpr const char* kEllipsis = "\u2026";

  struct Question {
    std::string text;
    std::optional<double> width;
    int maxLines;
  };
  std::vector<Question> asked;

  // The offered height only bounds how much of a long text is shaped; a fake
  // that shapes nothing has no use for it.
  TextMetrics measure(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                      std::optional<double> /*height*/) override {
    asked.push_back({text, width, maxLines});
    std::vector<std::string> lines = layOut(text, font, width, maxLines);
    std::size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, characters(line));
    TextMetrics m;
    m.size = {double(longest) * font.size * kAdvance, double(lines.size()) * font.size * kLineHeight};
    if (width) m.size.width = std::min(m.size.width, std::max(0.0, *width));
    m.firstBaseline = font.size * kBaseline;
    m.lineHeight = font.size * kLineHeight;
    return m;
  }

  // The lines `measure` lays `text` out in; exposed so tests can show what was cut.
  static std::vector<std::string> layOut(const std::string& text, const Font& font, std::optional<double> width,
                                         int maxLines) {
    std::vector<std::string> paragraphs = split(text, '\n');
    if (!width) return paragraphs;
    const auto perLine =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::floor(*width / (font.size * kAdvance) + 1e-9)));
    std::vector<std::string> lines;
    for (const std::string& paragraph : paragraphs) {
      std::string line;
      auto flush = [&](std::string next) {
        lines.push_back(line);
        line = std::move(next);
      };
      for (std::string word : split(paragraph, ' ')) {
        if (!line.empty() && characters(line) + 1 + characters(word) <= perLine) {
          line += " " + word;
          continue;
        }
        if (!line.empty()) flush({});
        while (characters(word) > perLine) {  // a word longer than a line breaks between characters
          line = prefix(word, perLine);
          word = word.substr(line.size());
          flush({});
        }
        line = word;
      }
      lines.push_back(line);
    }
    if (maxLines <= 0 || lines.size() <= std::size_t(maxLines)) return lines;
    // Keep `maxLines` lines; the last one takes what follows it too, cut to
    // leave room for the ellipsis.
    std::string last;
    for (std::size_t i = std::size_t(maxLines) - 1; i < lines.size(); ++i) last += (last.empty() ? "" : " ") + lines[i];
    lines.resize(std::size_t(maxLines));
    std::string cut = prefix(last, perLine > 1 ? perLine - 1 : 0);
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    lines.back() = cut + kEllipsis;
    return lines;
  }

  // How often `text` was measured.
  int timesAsked(const std::string& text) const {
    return int(std::count_if(asked.begin(), asked.end(), [&](const Question& q) { return q.text == text; }));
  }

 private:
  // Characters, not bytes: UTF-8 continuation bytes do not count.
  static std::size_t characters(const std::string& s) {
    return std::size_t(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  }

  static std::string prefix(const std::string& s, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t seen = 0; i < s.size(); ++i) {
      if ((s[i] & 0xC0) != 0x80 && seen++ == count) break;
    }
    return s.substr(0, i);
  }

  static std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> out(1);
    for (char c : s) {
      if (c == separator) {
        out.emplace_back();
      } else {
        out.back() += c;
      }
    }
    return out;
  }
};

}  // namespace corvane::testing
