// Text as the widget lays it out and paints it, through the real Pango
// measurer and painter: the input makes a few strings, weighted toward what
// breaks text stacks (combining marks after spaces and breaks, bidi
// controls, right-to-left and Indic scripts, joiners, spaces, tabs), puts
// them in every text slot of a snapshot and draws every family at 1x, 2x or
// 3x; each string is also laid out alone at narrow widths, with and without
// a line limit, in each face, and painted. Nothing may abort (Pango asserts
// on some line breaks), crash or trip a sanitizer. An input that starts
// with "L" is used as it stands (the rest is the text), so a text that
// failed becomes a seed as it is. Painting goes into surfaces made once and
// never encoded, so that tens of thousands of inputs run a minute.

#include <fuzzer/FuzzedDataProvider.h>
#include <pango/pangocairo.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/paint/painter.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "widget/today_widget.hpp"

namespace {

using namespace corvane;

constexpr double kNow = 1765208700;

struct Range {
  char32_t first, last;
};

// Pools of code points, one per kind of trouble; a piece of text is drawn
// from one pool, the marks' pool most often.
const std::vector<std::vector<Range>> kPools = {
    // combining, spacing and enclosing marks, emoji modifiers and variation selectors
    {{0x0300, 0x036F},
     {0x0483, 0x0489},
     {0x0591, 0x05BD},
     {0x064B, 0x065F},
     {0x0900, 0x0903},
     {0x093A, 0x094F},
     {0x0E31, 0x0E31},
     {0x0E34, 0x0E3A},
     {0x1AB0, 0x1ACE},
     {0x20D0, 0x20F0},
     {0xFE00, 0xFE0F},
     {0xFE20, 0xFE2F},
     {0x1F3FB, 0x1F3FF}},
    // bidi controls
    {{0x200E, 0x200F}, {0x202A, 0x202E}, {0x2066, 0x2069}, {0x061C, 0x061C}},
    // right to left: Arabic, Hebrew, Syriac, Thaana
    {{0x0621, 0x064A}, {0x05D0, 0x05EA}, {0x0710, 0x072F}, {0x0780, 0x07A5}, {0x0660, 0x0669}},
    // Indic: Devanagari, Bengali, Tamil, Malayalam letters and viramas
    {{0x0915, 0x0939}, {0x094D, 0x094D}, {0x0995, 0x09B9}, {0x09CD, 0x09CD}, {0x0B95, 0x0BB9}, {0x0D15, 0x0D39}},
    // joiners and format characters
    {{0x200C, 0x200D}, {0x2060, 0x2060}, {0xFEFF, 0xFEFF}, {0x034F, 0x034F}, {0x00AD, 0x00AD}},
    // spaces of every kind, the plain one most
    {{0x0020, 0x0020},
     {0x0020, 0x0020},
     {0x0020, 0x0020},
     {0x00A0, 0x00A0},
     {0x2000, 0x200B},
     {0x3000, 0x3000},
     {0x1680, 0x1680}},
    // tabs and line breaks
    {{0x0009, 0x000A}, {0x000D, 0x000D}, {0x2028, 0x2029}, {0x0085, 0x0085}},
    // ASCII letters, digits and punctuation: break opportunities of their own
    {{0x0021, 0x007E}},
    // emoji, CJK, Thai, Hangul
    {{0x1F300, 0x1F64F}, {0x4E00, 0x4E80}, {0x0E01, 0x0E2E}, {0xAC00, 0xAC40}, {0x1100, 0x1112}},
};
constexpr std::array<std::size_t, 10> kPoolWeights = {0, 0, 0, 1, 2, 3, 4, 5, 6, 7};  // then 8, and any code point

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t drawFrom(FuzzedDataProvider& in, const std::vector<Range>& pool) {
  const Range& r = pool[in.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
  return r.first + in.ConsumeIntegralInRange<char32_t>(0, r.last - r.first);
}

std::string text(FuzzedDataProvider& in) {
  std::string out;
  const int length = in.ConsumeIntegralInRange(1, 16);
  for (int i = 0; i < length && in.remaining_bytes() > 0; ++i) {
    const std::size_t choice = in.ConsumeIntegralInRange<std::size_t>(0, kPoolWeights.size() + 1);
    if (choice < kPoolWeights.size()) {
      appendUtf8(out, drawFrom(in, kPools[kPoolWeights[choice]]));
    } else if (choice == kPoolWeights.size()) {
      appendUtf8(out, drawFrom(in, kPools[8]));
    } else {
      char32_t c = in.ConsumeIntegralInRange<char32_t>(1, 0x10FFFF);
      if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
      appendUtf8(out, c);
    }
  }
  return out;
}

// A snapshot with the texts in every slot a string reaches: the handle, the
// note, plan names and values (narrow cells), in two accounts.
Snapshot withTexts(const std::vector<std::string>& texts) {
  auto at = [&texts](std::size_t i) { return texts[i % texts.size()]; };
  std::vector<PlanCell> plan;
  for (std::size_t i = 0; i < 6; ++i) plan.push_back({at(i), at(i + 1), i % 2 ? "full" : ""});
  std::vector<Account> accounts = {
      {at(0), "run", 18, 40, at(1), plan},
      {at(2), "err", 0, std::nullopt, at(3), {{at(3), at(0), "off"}}},
  };
  return Snapshot{1, kNow - 60, true, 18, 70, 2, 24, 1, 1, std::move(accounts)};
}

// One surface per size, kept: the painter paints every pixel it covers.
cairo_t* canvasContext(int width, int height) {
  static std::map<std::pair<int, int>, std::pair<CairoSurfacePtr, CairoPtr>> kept;
  auto& slot = kept[{width, height}];
  if (!slot.first) {
    slot.first.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    slot.second.reset(cairo_create(slot.first.get()));
  }
  return slot.second.get();
}

void drawWidget(const Entry& entry, WidgetFamily family, double scale, const FontLibrary& fonts,
                TextMeasurer& measurer) {
  Environment env;
  env.widgetFamily = family;
  env.clock = fixedClock(Date{kNow});
  env.displayScale = scale;
  const WidgetCanvas canvas = canvasFor(family);
  const Node tree = compose(TodayContent{}(entry), env);
  const BoxTree boxes = layOut(tree, env, canvas, measurer);
  cairo_t* cr = canvasContext(int(canvas.width * scale), int(canvas.height * scale));
  cairo_save(cr);
  cairo_scale(cr, scale, scale);
  paintWidget(cr, boxes, canvas, fonts);
  cairo_restore(cr);
}

// The text alone, at a width the input picks, in each face, painted into a
// small surface.
void drawAlone(const std::string& s, FuzzedDataProvider& in, double scale, TextMeasurer& measurer) {
  static const std::array<Font, 4> kFaces = {Font::system(9.5), Font::system(10.5, FontWeight::semibold),
                                             Font::system(10, std::nullopt, FontDesign::monospaced),
                                             Font::system(12.5, FontWeight::bold)};
  const Font& font = kFaces[in.ConsumeIntegralInRange<std::size_t>(0, kFaces.size() - 1)];
  const double width = in.ConsumeIntegralInRange(1, 1200) / 10.0;
  const int lines = in.ConsumeIntegralInRange(0, 3);
  if (std::getenv("TEXT_FUZZ_SAY"))
    std::fprintf(stderr, "alone: size %g weight %d mono %d width %g lines %d scale %g\n", font.size,
                 font.weight ? int(*font.weight) : -1, font.design ? 1 : 0, width, lines, scale);
  const TextMetrics m = measurer.measure(s, font, width, lines, std::nullopt);
  cairo_t* cr = canvasContext(64, 64);
  cairo_save(cr);
  cairo_scale(cr, scale, scale);
  if (m.shaped) pango_cairo_show_layout(cr, m.shaped->layout.get());
  cairo_restore(cr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FontLibrary fonts;  // loading fonts is per process, not per input
  static PangoTextMeasurer measurer(fonts);
  FuzzedDataProvider in(data, size);
  constexpr std::array<WidgetFamily, 3> kFamilies = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                                     WidgetFamily::systemLarge};
  std::vector<std::string> texts;
  std::vector<double> scales = {1, 2, 3};
  std::vector<WidgetFamily> families(kFamilies.begin(), kFamilies.end());
  if (size > 0 && data[0] == 'L') {
    texts.emplace_back(reinterpret_cast<const char*>(data) + 1, size - 1);  // every family at every scale
  } else {
    // One family at one scale: more inputs a minute.
    scales = {double(in.ConsumeIntegralInRange(1, 3))};
    families = {kFamilies[in.ConsumeIntegralInRange<std::size_t>(0, 2)]};
    const int count = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < count; ++i) texts.push_back(text(in));
  }
  // TEXT_FUZZ_SAY=1 says each input's texts (code points), to see what failed.
  static const bool say = std::getenv("TEXT_FUZZ_SAY") != nullptr;
  if (say)
    for (const std::string& t : texts) {
      std::fprintf(stderr, "text:");
      for (unsigned char c : t) std::fprintf(stderr, " %02X", c);
      std::fprintf(stderr, "\n");
    }
  const Entry entry{Date{kNow}, withTexts(texts)};
  for (double s : scales) {
    for (WidgetFamily family : families) drawWidget(entry, family, s, fonts, measurer);
    for (const std::string& t : texts)
      for (int i = 0; i < 4; ++i) drawAlone(t, in, s, measurer);
  }
  measurer.passDone(TextMeasurer::Pass::whole);
  return 0;
}
