// What of a text can be seen: cutting at grapheme boundaries within the
// canvas's budget, controls made visible, and Pango drawing all of it.

#include "platform/ui/text/visible_text.hpp"

#include <gtest/gtest.h>

#include "platform/ui/text/pango_text.hpp"
#include "support/pinned.hpp"

namespace corvane {
namespace {

using namespace std::string_literals;

TEST(VisibleText, ControlsBecomeVisibleAndNothingAfterANulIsLost) {
  struct Case {
    std::string in, out;
  };
  const TextBudget roomy = textBudget(10, 300, 0);
  const std::vector<Case> cases = {
      {"plain", "plain"},
      {"a\0b\ac"s, "a\u2400b\u2407c"},
      {"tab\there\nnext\r\nline", "tab\there\nnext\r\nline"},  // layout controls keep their meaning
      {"del\x7f", "del\u2421"},
      {"c1\xc2\x85", "c1\uFFFD"},      // NEL, a C1 control
      {"bad\xff\xfe utf", "bad\uFFFD\uFFFD utf"},
      {"\0"s, "\u2400"},
  };
  for (const Case& c : cases) EXPECT_EQ(visibleText(c.in, roomy), c.out) << c.in;
}

TEST(VisibleText, CutsAtGraphemeBoundariesWithinTheBudget) {
  const std::string family = "\U0001F469\u200D\U0001F469\u200D\U0001F467";  // one grapheme of five code points
  const std::string accented = "e\u0301";                                    // one grapheme of two
  struct Case {
    std::string name, in, out;
    TextBudget budget;
  };
  const std::vector<Case> cases = {
      {"wrapped, budget of 6", "abcdefghij", "abcdef", {3, 2, true}},
      {"emoji sequences are whole", family + family + family, family + family, {2, 1, true}},
      {"combining marks stay with their letter", accented + accented + "x", accented + accented, {2, 1, true}},
      {"one line per paragraph, each cut on its own", "abcdef\nghijkl\nmn", "abc\nghi\nmn", {3, 5, false}},
      {"paragraphs past the last line are dropped", "a\nb\nc\nd", "a\nb", {3, 2, false}},
      {"CRLF is one separator", "ab\r\ncd\r\nef", "ab\r\ncd", {5, 2, false}},
      {"U+2029 separates paragraphs", "abcd\u2029efgh", "ab\u2029ef", {2, 2, false}},
      {"a short text is untouched", "short", "short", {10, 10, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(visibleText(c.in, c.budget), c.out) << c.name;
}

TEST(VisibleText, BudgetCoversTheLargestCanvasAtTheFontSize) {
  // Wrapped at 100 points in 10-point type: a tenth of an em per grapheme,
  // twice over for what word wrapping leaves unused; 382 points of lines
  // at least an em tall, plus two.
  TextBudget wrapped = textBudget(10, 100, 0);
  EXPECT_TRUE(wrapped.wraps);
  EXPECT_EQ(wrapped.graphemesPerLine, 201u);
  EXPECT_EQ(wrapped.lines, 40u);
  // One line: the line limit bounds the lines; no width is the canvas's.
  TextBudget oneLine = textBudget(10, std::nullopt, 1);
  EXPECT_FALSE(oneLine.wraps);
  EXPECT_EQ(oneLine.graphemesPerLine, 365u);
  EXPECT_EQ(oneLine.lines, 1u);
  // A width wider than any canvas shows no more than the canvas.
  EXPECT_EQ(textBudget(10, 1e9, 0).graphemesPerLine, textBudget(10, kLargestCanvasWidth, 0).graphemesPerLine);
}

FontLibrary& fonts() { return testing::sharedFonts(); }

double measuredWidth(const std::string& text) {
  PangoTextMeasurer measurer(fonts());
  return measurer.measure(text, Font::system(12.5), std::nullopt, 0).size.width;
}

TEST(PangoText, AStringWithControlsIsMeasuredWhole) {
  const double a = measuredWidth("@a");
  EXPECT_GT(measuredWidth("@a\0b\ac"s), measuredWidth("@abc")) << "the NUL and BEL take room of their own";
  EXPECT_GT(measuredWidth("@a\0"s), a);
}

TEST(PangoText, AHugeTextIsLaidOutAsTheVisiblePartOfIt) {
  std::string words;
  while (words.size() < 1'000'000) words += "gamma delta ";
  PangoTextMeasurer measurer(fonts());
  const Font font = Font::system(10.5);
  TextMetrics all = measurer.measure(words, font, 300, 0);
  // Its lines more than fill the largest canvas, but are not the megabyte's
  // (some 18,000 lines).
  EXPECT_GT(all.size.height, kLargestCanvasHeight);
  EXPECT_LT(all.size.height, 20 * kLargestCanvasHeight);
  // Three lines of it look the same as three lines of the whole.
  EXPECT_EQ(measurer.measure(words, font, 300, 3).size, measurer.measure(words.substr(0, 2000), font, 300, 3).size);
  // On one line it is wider than any canvas, but not by Pango's overflow.
  double oneLine = measurer.measure(words, font, std::nullopt, 0).size.width;
  EXPECT_GT(oneLine, kLargestCanvasWidth);
  EXPECT_LT(oneLine, 100 * kLargestCanvasWidth);
}

TEST(PangoText, AWordBrokenToFitGetsNoHyphen) {
  const std::string word = "Supercalifragilisticexpialidocious";
  auto layout = makeTextLayout(fonts(), word, Font::system(12), 40.0, 0);
  ASSERT_GT(pango_layout_get_line_count(layout.get()), 2);
  // Every glyph drawn is one of the word's characters: no hyphen was added.
  int glyphs = 0;
  for (GSList* l = pango_layout_get_lines_readonly(layout.get()); l; l = l->next)
    for (GSList* r = static_cast<PangoLayoutLine*>(l->data)->runs; r; r = r->next)
      glyphs += static_cast<PangoGlyphItem*>(r->data)->glyphs->num_glyphs;
  EXPECT_EQ(glyphs, static_cast<int>(word.size()));
}

}  // namespace
}  // namespace corvane
