// What of a text can be seen: cutting at grapheme boundaries within the
// canvas's budget, controls made visible, and Pango drawing all of it.

#include "platform/ui/shaping/visible_text.hpp"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cstring>

#include "kit/pinned.hpp"
#include "platform/ui/shaping/pango_text.hpp"

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
      {"c1\xc2\x85", "c1\uFFFD"},  // NEL, a C1 control
      {"bad\xff\xfe utf", "bad\uFFFD\uFFFD utf"},
      {"\0"s, "\u2400"},
  };
  for (const Case& c : cases) EXPECT_EQ(visibleText(c.in, roomy), c.out) << c.in;
}

TEST(VisibleText, CutsAtGraphemeBoundariesWithinTheBudget) {
  const std::string family = "\U0001F469\u200D\U0001F469\u200D\U0001F467";  // one grapheme of five code points
  const std::string accented = "e\u0301";                                   // one grapheme of two
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
      {"exactly the budget is kept", "abcdef", "abcdef", {3, 2, true}},
      {"one grapheme past the budget is cut", "abcdefg", "abcdef", {3, 2, true}},
      {"as many paragraphs as lines are kept", "abc\nde", "abc\nde", {3, 2, false}},
      {"one paragraph more is dropped", "ab\ncd\n", "ab\ncd", {3, 2, false}},
      {"a long paragraph among short ones is cut", "a\nbcde", "a\nbcd", {3, 2, false}},
      {"multi-byte graphemes within the budget", accented + "\u00E9" + family, accented + "\u00E9", {2, 1, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(visibleText(c.in, c.budget), c.out) << c.name;
}

TEST(VisibleText, BudgetCoversTheLargestCanvasAtTheFontSize) {
  // Wrapped at 100 points in 10-point type: 0.09 em per grapheme at least;
  // 382 points of lines at least an em tall, plus one.
  TextBudget wrapped = textBudget(10, 100, 0);
  EXPECT_TRUE(wrapped.wraps);
  EXPECT_EQ(wrapped.graphemesPerLine, 112u);
  EXPECT_EQ(wrapped.lines, 39u);
  // One line: the line limit bounds the lines; no width is the canvas's.
  TextBudget oneLine = textBudget(10, std::nullopt, 1);
  EXPECT_FALSE(oneLine.wraps);
  EXPECT_EQ(oneLine.graphemesPerLine, 405u);
  EXPECT_EQ(oneLine.lines, 1u);
  // A width wider than any canvas shows no more than the canvas.
  EXPECT_EQ(textBudget(10, 1e9, 0).graphemesPerLine, textBudget(10, kLargestCanvasWidth, 0).graphemesPerLine);
}

TEST(VisibleText, BudgetIsTheLinesThatFitWhatTheTextIsOfferedAndOneMore) {
  struct Case {
    const char* name;
    std::optional<double> width;
    int maxLines;
    std::optional<double> height;
    std::size_t perLine, lines;
  };
  const std::vector<Case> cases = {
      {"no height: the tallest canvas", 100, 0, std::nullopt, 112, 39},
      {"three lines fit in 30 points", 100, 0, 30, 112, 4},
      {"less than a line: the one partly seen", 100, 0, 4, 112, 1},
      {"the line limit when fewer lines", 100, 2, 300, 112, 3},
      {"the height when fewer lines", 100, 5, 30, 112, 4},
      {"taller than any canvas is the canvas", 100, 0, 1e9, 112, 39},
      {"narrow column", 40, 0, 30, 45, 4},
      {"no width: one canvas-wide line per paragraph", std::nullopt, 0, 30, 405, 4},
  };
  for (const Case& c : cases) {
    TextBudget b = textBudget(10, c.width, c.maxLines, c.height);
    EXPECT_EQ(b.graphemesPerLine, c.perLine) << c.name;
    EXPECT_EQ(b.lines, c.lines) << c.name;
  }
}

TEST(VisibleText, GraphemesThatTakeNoRoomAreNotCounted) {
  const std::string zwsp = "\u200B";
  auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  struct Case {
    std::string name, in, out;
  };
  const TextBudget three{3, 1, true};
  const std::vector<Case> cases = {
      {"zero-width spaces", zwsp + zwsp + zwsp + "abc", zwsp + zwsp + zwsp + "abc"},
      {"a lone combining mark", "\u0301abc", "\u0301abc"},
      {"soft hyphens", "a\u00ADb\u00ADc\u00ADd", "a\u00ADb\u00ADc"},
      {"joiners and marks", "\u200D\u2060\uFEFFxyz!", "\u200D\u2060\uFEFFxyz"},
      // No more of them go free than the budget has graphemes; past that
      // they count, so a run of them costs no more than the budget.
      {"a long run counts past the budget", times(zwsp, 10) + "abc", times(zwsp, 6)},
  };
  for (const Case& c : cases) EXPECT_EQ(visibleText(c.in, three), c.out) << c.name;
}

FontLibrary& fonts() { return testing::sharedFonts(); }

TEST(VisibleText, MeasuringWithTheHeightCutsAsPaintingWithTheLinesThatFit) {
  // Layout measures with the offered height, then with the lines that fit
  // in it; the painter knows only those lines. Both must shape the same text.
  std::string words;
  while (words.size() < 20'000) words += "lorem ipsum\ndolor ";
  struct Case {
    double fontSize, width, height;
    int lineLimit;  // the box's own, 0: none
  };
  const std::vector<Case> cases = {{10, 100, 30, 0},  {10, 40, 12, 0},     {12.5, 300, 200, 0},
                                   {10, 100, 300, 2}, {10.5, 80, 2000, 0}, {10, 100, 30, 1}};
  PangoTextMeasurer measurer(fonts());
  for (const Case& c : cases) {
    const Font font = Font::system(c.fontSize);
    const double lineHeight = measurer.measure("x", font, c.width, 0).lineHeight;
    ASSERT_GE(lineHeight, c.fontSize) << "lines are at least an em tall";
    int fit = std::max(1, static_cast<int>(c.height / lineHeight));
    int lines = c.lineLimit > 0 ? std::min(c.lineLimit, fit) : fit;
    EXPECT_EQ(visibleText(words, textBudget(c.fontSize, c.width, lines, c.height)),
              visibleText(words, textBudget(c.fontSize, c.width, lines)))
        << c.fontSize << " " << c.width << " " << c.height;
  }
}

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

// Pango 1.50 aborts the process laying out a break offered inside a
// grapheme (a mark on a space, an emoji modifier after another) at a narrow
// width: never again, whatever the width or face.
TEST(PangoText, ABreakInsideAGraphemeAtANarrowWidthIsLaidOut) {
  PangoTextMeasurer measurer(fonts());
  for (const std::string text :
       {"\u0627c \u0301\u0631", "e \u0301 \u0308", "\u05E9 \u05B8x", "\U0001F3FE\U0001F3FE\uFE20\u00C6"}) {
    for (const Font& font : {Font::system(9.5), Font::system(10, std::nullopt, FontDesign::monospaced)}) {
      for (double width = 1; width <= 60; width += 0.5) {
        for (int lines : {0, 1, 2}) {
          const TextMetrics m = measurer.measure(text, font, width, lines, std::nullopt);
          ASSERT_TRUE(m.shaped);
          EXPECT_GT(pango_layout_get_line_count(m.shaped->layout.get()), 0);
        }
      }
    }
  }
}

// Where a break is offered inside a grapheme, a word joiner (which draws
// nothing) takes it away; everything else is left as it stands.
TEST(PangoText, AWordJoinerTakesAwayOnlyBreaksInsideGraphemes) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain words, kept", "plain words, kept"},
      // A space carrying a mark (or a joiner, a spacing mark, a skin tone)
      // is one grapheme: its space becomes a no-break space.
      {"c \u0301x", "c\u00A0\u0301x"},
      {"a \u200D \u093F \U0001F3FD", "a\u00A0\u200D\u00A0\u093F\u00A0\U0001F3FD"},
      {"a  \u0301", "a \u00A0\u0301"},  // only the space the mark is on
      {"\U0001F3FE\U0001F3FE\uFE20\u00C6", "\U0001F3FE\u2060\U0001F3FE\uFE20\u00C6"},
      {"\U0001F44D\U0001F3FD ok", "\U0001F44D\U0001F3FD ok"},  // a modifier on its emoji: one grapheme, no break
      {"e\u0301 \u05E9\u05B8", "e\u0301 \u05E9\u05B8"},
      {"bad \xff", "bad \xff"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(withoutBreaksInsideGraphemes(in), out) << in;
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

// A cut text is laid out as its whole form: the same lines, the same
// extents, and "…" at the line limit where the whole text has it.
TEST(PangoText, ACutTextLooksLikeTheWholeText) {
  auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  struct Case {
    const char* name;
    std::string text;
    Font font;
    std::optional<double> width;
    int maxLines;
  };
  const std::vector<Case> cases = {
      // Pango's line limit holds per paragraph; texts of fewer paragraphs
      // than a canvas has lines are compared here.
      {"a short paragraph, then a long one", "one\n" + times("gamma delta ", 300), Font::system(10), 100, 2},
      {"one paragraph more than the limit", "one\ntwo\nthree", Font::system(10), 100, 2},
      {"words", times("gamma delta ", 500), Font::system(10), 100, 3},
      {"one long word", times("W", 5000), Font::system(10), 80, 2},
      {"hair spaces, the narrowest glyph", times("\u200A", 3000) + "x", Font::system(10), 100, 2},
      {"zero-width spaces", times(times("\u200B", 50) + "word ", 100), Font::system(10), 100, 3},
      {"digits in monospace", times("1234567890", 500), Font::system(10, FontWeight::semibold, FontDesign::monospaced),
       60, 4},
      {"a long value in a cell", times("x", 5000), Font::system(10), 50, 1},
      // On one line, a canvas's width of the narrowest glyphs and what follows.
      {"hair spaces on one line", times("\u200A", 330) + "x", Font::system(10), std::nullopt, 0},
      {"zero-width spaces on one line", times("\u200B", 500) + "abc", Font::system(10), std::nullopt, 0},
  };
  for (const Case& c : cases) {
    auto cut = makeTextLayout(fonts(), c.text, c.font, c.width, c.maxLines);
    auto whole = makeWholeTextLayout(fonts(), c.text, c.font, c.width, c.maxLines);
    EXPECT_EQ(pango_layout_get_line_count(cut.get()), pango_layout_get_line_count(whole.get())) << c.name;
    EXPECT_EQ(pango_layout_is_ellipsized(cut.get()), pango_layout_is_ellipsized(whole.get())) << c.name;
    PangoRectangle a, b;
    pango_layout_get_extents(cut.get(), nullptr, &a);
    pango_layout_get_extents(whole.get(), nullptr, &b);
    EXPECT_EQ(a.width, b.width) << c.name;
    EXPECT_EQ(a.height, b.height) << c.name;
    const std::string shown = pango_layout_get_text(cut.get());
    int lines = std::min(pango_layout_get_line_count(cut.get()), pango_layout_get_line_count(whole.get()));
    for (int i = 0; i + 1 < lines; ++i) {  // the last may hold the rest, ellipsized
      PangoLayoutLine* x = pango_layout_get_line_readonly(cut.get(), i);
      PangoLayoutLine* y = pango_layout_get_line_readonly(whole.get(), i);
      EXPECT_EQ(shown.substr(x->start_index, x->length), c.text.substr(y->start_index, y->length))
          << c.name << ", line " << i;
    }
  }
}

// The painter cuts a text at the canvas's bottom: every line that starts
// above it is the whole text's line, and "…" stays where it was.
TEST(PangoText, ACutAtTheCanvasBottomKeepsEveryLineAboveIt) {
  std::string words, letters;
  while (words.size() < 6'000) words += "gamma delta ";
  while (letters.size() < 5'000) letters += "x";
  struct Case {
    const char* name;
    const std::string& text;
    double width, height;
    int maxLines;
  };
  const std::vector<Case> cases = {
      {"words", words, 100, 50, 0},
      {"words, a sliver", words, 100, 3, 0},
      {"one long word", letters, 45, 120, 0},
      {"line limit past the bottom", words, 100, 20, 6},
      {"line limit above the bottom", words, 100, 200, 3},
  };
  const Font font = Font::system(10);
  for (const Case& c : cases) {
    auto cut = makeTextLayout(fonts(), c.text, font, c.width, c.maxLines, c.height);
    auto whole = makeWholeTextLayout(fonts(), c.text, font, c.width, c.maxLines);
    const std::string shown = pango_layout_get_text(cut.get());
    std::vector<double> tops;  // of the whole text's lines
    {
      PangoLayoutIterPtr it(pango_layout_get_iter(whole.get()));
      do {
        int top = 0, bottom = 0;
        pango_layout_iter_get_line_yrange(it.get(), &top, &bottom);
        tops.push_back(top / double(PANGO_SCALE));
      } while (pango_layout_iter_next_line(it.get()));
    }
    const int cutLines = pango_layout_get_line_count(cut.get());
    int checked = 0;
    for (int i = 0; i < static_cast<int>(tops.size()) && tops[i] < c.height; ++i, ++checked) {
      ASSERT_LT(i, cutLines) << c.name << ": the cut ends above the bottom";
      PangoLayoutLine* a = pango_layout_get_line_readonly(cut.get(), i);
      PangoLayoutLine* b = pango_layout_get_line_readonly(whole.get(), i);
      PangoRectangle ea, eb;
      pango_layout_line_get_extents(a, nullptr, &ea);
      pango_layout_line_get_extents(b, nullptr, &eb);
      EXPECT_EQ(ea.width, eb.width) << c.name << ", line " << i;
      if (i + 1 < static_cast<int>(tops.size())) {  // the last may hold the rest, ellipsized
        EXPECT_EQ(shown.substr(a->start_index, a->length), c.text.substr(b->start_index, b->length))
            << c.name << ", line " << i;
      }
    }
    EXPECT_GT(checked, 0) << c.name;
  }
}

// Every answer carries the layout it was measured on, which the painter
// draws: what is drawn is what was measured, and nothing is shaped twice.
TEST(PangoText, EveryAnswerCarriesTheLayoutOfExactlyTheQuestionAsked) {
  std::string value;
  while (value.size() < 5'000) value += "x";
  PangoTextMeasurer measurer(fonts());
  const Font font = Font::system(10, FontWeight::semibold, FontDesign::monospaced);
  const TextMetrics m = measurer.measure(value, font, 46, 0, std::nullopt);
  ASSERT_TRUE(m.shaped);
  PangoRectangle logical;
  pango_layout_get_extents(m.shaped->layout.get(), nullptr, &logical);
  EXPECT_EQ(logical.height / double(PANGO_SCALE), m.size.height);
  EXPECT_EQ(std::string(pango_layout_get_text(m.shaped->layout.get())), visibleText(value, textBudget(10, 46, 0)));
  EXPECT_EQ(measurer.measure(value, font, 46, 0, std::nullopt).shaped, m.shaped);
  struct Case {
    const char* name;
    std::optional<double> width;
    int lines;
    std::optional<double> height;
  };
  const std::vector<Case> notAsked = {
      {"another width", 50, 0, std::nullopt}, {"a line limit", 46, 2, std::nullopt}, {"a height", 46, 0, 30}};
  for (const Case& c : notAsked)
    EXPECT_NE(measurer.measure(value, font, c.width, c.lines, c.height).shaped, m.shaped) << c.name;
}

// The pixels of `layout` drawn as the painter draws a text at (3.25, 2), at 2x.
std::vector<unsigned char> drawnAsPainted(PangoLayout* layout) {
  CairoSurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 120));
  CairoPtr cr(cairo_create(s.get()));
  cairo_scale(cr.get(), 2, 2);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  cairo_move_to(cr.get(), 3.25 - logical.x / double(PANGO_SCALE), 2);
  pango_cairo_show_layout(cr.get(), layout);
  cairo_surface_flush(s.get());
  const auto bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(s.get())) * 120;
  const unsigned char* data = cairo_image_surface_get_data(s.get());
  return {data, data + bytes};
}

bool sameMetrics(const TextMetrics& a, const TextMetrics& b) {
  return a.size == b.size && a.firstBaseline == b.firstBaseline && a.lineHeight == b.lineHeight;
}

// A text measured at its natural size and then offered a width keeps the
// natural layout when it fits unchanged; drawn where the painter draws it,
// its pixels are those of a layout made at the width, and whatever would
// move or break there is laid out again.
TEST(PangoText, AWidthTheNaturalLayoutFitsDrawsTheSame) {
  const Font font = Font::system(13, FontWeight::semibold);
  struct Case {
    const char* name;
    std::string text;
    double width;
    int lines;
    bool shared;  // the natural layout serves the width
  };
  const std::vector<Case> cases = {
      {"fits", "11 min, 14 sec", 150, 1, true},
      {"fits, no line limit", "11 min, 14 sec", 150, 0, true},
      {"trailing spaces", "ready   ", 150, 1, true},
      {"two paragraphs, two lines", "one\ntwo", 150, 2, true},
      {"two paragraphs, one line", "one\ntwo", 150, 1, false},
      {"too narrow: wraps", "11 min, 14 sec", 40, 0, false},
      {"too narrow: ellipsized", "11 min, 14 sec", 40, 1, false},
      {"right to left", "\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD", 150, 1, false},
      {"left to right with a right-to-left word", "Hi \u05E9\u05DC\u05D5\u05DD", 150, 1, true},
  };
  for (const Case& c : cases) {
    PangoTextMeasurer measurer(fonts());
    const auto natural = measurer.measure(c.text, font, std::nullopt, c.lines, std::nullopt).shaped;
    const TextMetrics m = measurer.measure(c.text, font, c.width, c.lines, std::nullopt);
    const auto kept = m.shaped;
    ASSERT_TRUE(natural && kept) << c.name;
    EXPECT_EQ(natural == kept, c.shared) << c.name;
    PangoTextMeasurer fresh(fonts());
    EXPECT_TRUE(sameMetrics(m, fresh.measure(c.text, font, c.width, c.lines, std::nullopt))) << c.name;
    auto made = makeWholeTextLayout(fonts(), c.text, font, c.width, c.lines);
    EXPECT_TRUE(drawnAsPainted(kept->layout.get()) == drawnAsPainted(made.get())) << c.name;
  }
}

// A live text's old readings are let go of: what updates asked that recent
// passes did not ask again (its cut forms and its neighbours' old widths
// included); what the last whole layout asked stays for the next one, and
// goes when that one does not ask it. However many texts come and go, the
// measurer keeps a bounded number.
TEST(PangoText, AMeasurementNoLongerAskedForIsLetGo) {
  using Pass = TextMeasurer::Pass;
  PangoTextMeasurer measurer(fonts());
  const Font small = Font::system(10), bold = Font::system(12, FontWeight::bold);
  const std::string longText(300, 'x');  // cut to what 40 points can show before it is shaped
  struct Asked {
    std::string text;
    Font font;
    std::optional<double> width;
    const char* by;       // "whole": the first whole pass; "update": an update after it
    bool keptAfterTicks;  // after many updates that ask other readings
  };
  const std::vector<Asked> asked = {
      {"Today's plan", bold, 120, "whole", true},      {"Likes", small, 40, "whole", true},
      {"5 sec", small, std::nullopt, "update", false}, {"5 sec", small, 40, "update", false},
      {longText, small, 40, "update", false},          {"Title", small, 118, "update", false},
  };
  auto measure = [&](const Asked& a) { return measurer.measure(a.text, a.font, a.width, 1, std::nullopt).shaped; };
  std::vector<std::shared_ptr<const ShapedText>> first(asked.size());
  for (std::size_t i = 0; i < asked.size(); ++i)
    if (std::string(asked[i].by) == "whole") first[i] = measure(asked[i]);
  measurer.passDone(Pass::whole);
  for (std::size_t i = 0; i < asked.size(); ++i)
    if (std::string(asked[i].by) == "update") first[i] = measure(asked[i]);
  measurer.passDone(Pass::update);
  for (unsigned tick = 0; tick < PangoTextMeasurer::kPassesKept; ++tick) {
    measurer.measure(std::to_string(6 + tick) + " sec", small, 40, 1, std::nullopt);
    measurer.passDone(Pass::update);
  }
  for (std::size_t i = 0; i < asked.size(); ++i)
    EXPECT_EQ(measure(asked[i]) == first[i], asked[i].keptAfterTicks)
        << asked[i].text.substr(0, 8) << " at " << asked[i].width.value_or(-1);
  measurer.passDone(Pass::update);
  // The next whole pass asks only for the title: the rest goes.
  const auto title = measure(asked[0]);
  measurer.passDone(Pass::whole);
  EXPECT_EQ(measurer.size(), 1u);
  EXPECT_EQ(measure(asked[0]), title);
  for (int i = 0; i < 10'000; ++i) measurer.measure(std::to_string(i) + " sec", small, 40, 1, std::nullopt);
  EXPECT_LE(measurer.size(), PangoTextMeasurer::kMaxKept);
}

}  // namespace
}  // namespace corvane
