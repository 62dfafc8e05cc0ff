// A live layout of the widget on a clock that moves: when it changes, what
// it reports as damaged, that a partial repaint equals a full paint, and
// that the freshness line turns stale only when the view is built again.

#include "platform/ui/paint/live_layout.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "views/header.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

constexpr double kAt = testing::kSampleTime;

struct Fixture {
  double now = kAt + 5;
  PangoTextMeasurer text{testing::sharedFonts()};

  std::unique_ptr<LiveLayout> build(WidgetFamily family, double scale = 2) {
    Environment env = testing::pinnedEnvironment(family, now, scale);
    env.clock = [this] { return Date{now}; };
    Entry entry{Date{now}, Store::makeSample(kAt)};
    return std::make_unique<LiveLayout>(compose(TodayContent{}(entry), env), env, canvasFor(family), text);
  }
};

CairoSurfacePtr fullPaint(const LiveLayout& layout, double scale) {
  const WidgetCanvas& c = layout.canvas();
  CairoSurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(c.width * scale), int(c.height * scale)));
  CairoPtr cr(cairo_create(s.get()));
  cairo_scale(cr.get(), scale, scale);
  layout.paint(cr.get(), testing::sharedFonts());
  cairo_surface_flush(s.get());
  return s;
}

bool samePixels(cairo_surface_t* a, cairo_surface_t* b) {
  const int h = cairo_image_surface_get_height(a), stride = cairo_image_surface_get_stride(a);
  return h == cairo_image_surface_get_height(b) && stride == cairo_image_surface_get_stride(b) &&
         std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), std::size_t(h * stride)) == 0;
}

TEST(LiveLayout, ChangesWhenTheRelativeTextTurnsOver) {
  Fixture f;
  auto layout = f.build(WidgetFamily::systemMedium);
  EXPECT_EQ(layout->textOfView(Updated::name), "5 sec");
  EXPECT_EQ(layout->nextChange(), Date{kAt + 6});
  f.now = kAt + 5.5;
  EXPECT_EQ(layout->update(), std::nullopt);  // the same text: nothing to repaint
  f.now = kAt + 6;
  auto damage = layout->update();
  ASSERT_TRUE(damage);
  EXPECT_EQ(layout->textOfView(Updated::name), "6 sec");
  // The damage is the freshness line at the right of the header, not the widget.
  const WidgetCanvas canvas = canvasFor(WidgetFamily::systemMedium);
  EXPECT_GT(damage->x, canvas.width / 2);
  EXPECT_LT(damage->maxY(), canvas.height / 3);
  // Past an hour, minutes: the next change is the next whole minute.
  f.now = kAt + 3725;
  ASSERT_TRUE(layout->update());
  EXPECT_EQ(layout->textOfView(Updated::name), "1 hr, 2 min");
  EXPECT_EQ(layout->nextChange(), Date{kAt + 3780});
}

TEST(LiveLayout, TheFreshLineTurnsStaleOnlyWhenBuiltAgain) {
  Fixture f;
  auto layout = f.build(WidgetFamily::systemSmall);
  f.now = kAt + 1000;  // past 15 minutes
  layout->update();
  EXPECT_EQ(layout->textOfView(Updated::name), "16 min, 40 sec");
  auto rebuilt = f.build(WidgetFamily::systemSmall);
  EXPECT_EQ(rebuilt->textOfView(Updated::name), "not updated since 3:45\u202fPM");
  EXPECT_EQ(rebuilt->nextChange(), std::nullopt);  // nothing live: no ticks
}

std::size_t mostAnswersOfABox(const Box& b) {
  std::size_t most = b.sizeCache.size();
  for (const Box& c : b.children) most = std::max(most, mostAnswersOfABox(c));
  for (const Box& c : b.placedChildren()) most = std::max(most, mostAnswersOfABox(c));
  return most;
}

// An entry may be shown for days (a reload policy of never, or a long
// `after`): its texts' readings and the boxes' answers stay bounded however
// often the freshness line turns over.
TEST(LiveLayout, ATickingViewKeepsABoundedNumberOfMeasurementsAndAnswers) {
  Fixture f;
  auto layout = f.build(WidgetFamily::systemSmall);
  const std::size_t measured = f.text.size();
  for (int tick = 0; tick < 100'000; ++tick) {
    f.now = layout->nextChange()->sinceEpoch;
    ASSERT_TRUE(layout->update()) << "tick " << tick;
  }
  EXPECT_EQ(layout->textOfView(Updated::name), "3,960 days, 9 hr");
  EXPECT_LE(f.text.size(), 2 * measured);
  EXPECT_LE(mostAnswersOfABox(layout->boxes().root), SizeAnswers::kKept);
}

TEST(LiveLayout, ARepaintOfTheDamageEqualsAFullPaint) {
  for (WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    SCOPED_TRACE(familyName(family));
    Fixture f;
    auto layout = f.build(family);
    CairoSurfacePtr kept = fullPaint(*layout, 2);
    // Across texts of different widths: "5 sec" to "59 sec", "1 min", "10 min, 1 sec".
    for (double t : {9.0, 59.0, 60.0, 601.0}) {
      f.now = kAt + t;
      auto damage = layout->update();
      ASSERT_TRUE(damage);
      CairoPtr cr(cairo_create(kept.get()));
      cairo_scale(cr.get(), 2, 2);
      layout->repaint(cr.get(), *damage, testing::sharedFonts());
      cairo_surface_flush(kept.get());
      EXPECT_TRUE(samePixels(kept.get(), fullPaint(*layout, 2).get())) << "at +" << t;
    }
  }
}

// A paint clipped to a narrow band (as a window's damage clips it) leaves out
// the texts it does not reach; inside the band its pixels are those of the
// same paint whose clip also takes in the canvas's two far corners (outside
// the rounded rectangle, so transparent) and so leaves nothing out: wherever
// the band cuts through glyphs, their ascenders and their descenders.
TEST(LiveLayout, APaintClippedToABandLeavesOutOnlyWhatItCannotReach) {
  for (WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    SCOPED_TRACE(familyName(family));
    Fixture f;
    auto layout = f.build(family);
    const WidgetCanvas& c = layout->canvas();
    const int w = int(c.width * 2), h = int(c.height * 2);
    struct Band {
      int x, y, width, height;
    };
    auto paint = [&](const Band& b, bool whole) {
      CairoSurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
      CairoPtr cr(cairo_create(s.get()));
      cairo_rectangle(cr.get(), b.x, b.y, b.width, b.height);
      if (whole) {
        cairo_rectangle(cr.get(), 0, 0, 1, 1);
        cairo_rectangle(cr.get(), w - 1, h - 1, 1, 1);
      }
      cairo_clip(cr.get());
      cairo_scale(cr.get(), 2, 2);
      layout->paint(cr.get(), testing::sharedFonts());
      cairo_surface_flush(s.get());
      return s;
    };
    std::vector<Band> bands;
    for (int y = 0; y < h; y += 3) bands.push_back({0, y, w, 2});
    for (int x = 0; x < w; x += 5) bands.push_back({x, 0, 3, h});
    for (const Band& b : bands)
      EXPECT_TRUE(samePixels(paint(b, false).get(), paint(b, true).get()))
          << b.x << "," << b.y << " " << b.width << "x" << b.height;
  }
}

}  // namespace
}  // namespace corvane
