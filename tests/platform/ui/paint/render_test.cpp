// Pixel goldens of the sample in the three families at 2x, with the clock,
// locale and time zone pinned. Compared with a small tolerance; re-recorded
// only with CORVANE_RECORD_GOLDENS=1; a diff image is written on failure.

#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "data/store.hpp"
#include "kit/golden.hpp"
#include "kit/pinned.hpp"
#include "support/file_io.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

using namespace std::string_literals;

constexpr double kAt = testing::kSampleTime;

Environment drawing(WidgetFamily family) { return testing::pinnedEnvironment(family, kAt + 674, 2); }

CairoSurfacePtr readPng(const std::string& path) {
  return CairoSurfacePtr(cairo_image_surface_create_from_png(path.c_str()));
}

struct Comparison {
  std::size_t differing = 0;  // pixels with a channel further apart than the tolerance
  int largest = 0;
};

// Compares two ARGB images; paints the differing pixels red in `diff`.
Comparison compare(cairo_surface_t* a, cairo_surface_t* b, cairo_surface_t* diff, int tolerance) {
  Comparison c;
  const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  const int sa = cairo_image_surface_get_stride(a), sb = cairo_image_surface_get_stride(b),
            sd = cairo_image_surface_get_stride(diff);
  const unsigned char* pa = cairo_image_surface_get_data(a);
  const unsigned char* pb = cairo_image_surface_get_data(b);
  unsigned char* pd = cairo_image_surface_get_data(diff);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int worst = 0;
      for (int ch = 0; ch < 4; ++ch)
        worst = std::max(worst, std::abs(pa[y * sa + x * 4 + ch] - pb[y * sb + x * 4 + ch]));
      c.largest = std::max(c.largest, worst);
      unsigned char* d = pd + y * sd + x * 4;
      if (worst > tolerance) {
        ++c.differing;
        d[0] = 0, d[1] = 0, d[2] = 255, d[3] = 255;
      } else {
        d[0] = d[1] = d[2] = static_cast<unsigned char>(pa[y * sa + x * 4 + 1] / 3), d[3] = 255;
      }
    }
  cairo_surface_mark_dirty(diff);
  return c;
}

TEST(Render, SampleMatchesItsPixelGoldens) {
  FontLibrary fonts;
  for (WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    const std::string name = "widget-" + std::string(familyShortName(family)) + "@2x.png";
    SCOPED_TRACE(name);
    Environment env = drawing(family);
    Node tree = compose(WidgetView{Entry{Date{kAt}, Store::makeSample(kAt)}}, env);
    std::string png = renderWidget(tree, env, canvasFor(family), ImageFormat::png, fonts);
    const std::string golden = testing::goldenPath("platform/ui/paint/goldens/" + name);
    if (testing::recordingGoldens()) {
      ASSERT_FALSE(writeFileAtomically(golden, png));
      continue;
    }
    const std::string actualPath = (std::filesystem::temp_directory_path() / ("corvane-actual-" + name)).string();
    ASSERT_FALSE(writeFileAtomically(actualPath, png));
    CairoSurfacePtr expected = readPng(golden), actual = readPng(actualPath);
    ASSERT_EQ(cairo_surface_status(expected.get()), CAIRO_STATUS_SUCCESS) << "no golden at " << golden;
    ASSERT_EQ(cairo_image_surface_get_width(actual.get()), canvasFor(family).width * 2);
    ASSERT_EQ(cairo_image_surface_get_width(expected.get()), cairo_image_surface_get_width(actual.get()));
    ASSERT_EQ(cairo_image_surface_get_height(expected.get()), cairo_image_surface_get_height(actual.get()));
    CairoSurfacePtr diff(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(actual.get()),
                                                    cairo_image_surface_get_height(actual.get())));
    Comparison c = compare(expected.get(), actual.get(), diff.get(), 24);
    const std::size_t pixels = static_cast<std::size_t>(canvasFor(family).width * canvasFor(family).height * 4);
    if (c.differing > pixels / 1000) {
      const std::string diffPath = (std::filesystem::temp_directory_path() / ("corvane-diff-" + name)).string();
      cairo_surface_write_to_png(diff.get(), diffPath.c_str());
      ADD_FAILURE() << c.differing << " pixels differ (largest channel difference " << c.largest << "); actual "
                    << actualPath << ", diff " << diffPath;
    }
    std::filesystem::remove(actualPath);
  }
}

TEST(Render, CornersAreTransparentAndTheBackgroundIsExact) {
  FontLibrary fonts;
  Environment env = drawing(WidgetFamily::systemSmall);
  env.displayScale = 1;
  Node tree = compose(WidgetView{Entry{Date{kAt}, std::nullopt}}, env);
  PangoTextMeasurer text(fonts);
  BoxTree boxes = layOut(tree, env, canvasFor(WidgetFamily::systemSmall), text);
  CairoSurfacePtr image = paintImage(boxes, canvasFor(WidgetFamily::systemSmall), 1, fonts);
  const unsigned char* p = cairo_image_surface_get_data(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  auto pixel = [&](int x, int y) {  // B, G, R, A in memory on little-endian machines
    const unsigned char* q = p + y * stride + x * 4;
    return std::array<int, 4>{q[2], q[1], q[0], q[3]};
  };
  EXPECT_EQ(pixel(0, 0), (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(pixel(169, 169), (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(pixel(85, 160), (std::array<int, 4>{15, 15, 20, 255}));  // cvBg, margins included
  EXPECT_EQ(pixel(2, 85), (std::array<int, 4>{15, 15, 20, 255}));
}

TEST(Render, VectorFormatsAreWritten) {
  FontLibrary fonts;
  Environment env = drawing(WidgetFamily::systemMedium);
  Node tree = compose(WidgetView{Entry{Date{kAt}, Store::makeSample(kAt)}}, env);
  std::string svg = renderWidget(tree, env, canvasFor(WidgetFamily::systemMedium), ImageFormat::svg, fonts);
  std::string pdf = renderWidget(tree, env, canvasFor(WidgetFamily::systemMedium), ImageFormat::pdf, fonts);
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("width=\"364pt\""), std::string::npos);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
}

// ---- Any script, any string ------------------------------------------------

// The bounding box, in points, of every pixel painted in `image` at `scale`.
std::optional<Rect> inkBounds(cairo_surface_t* image, double scale) {
  const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  const unsigned char* data = cairo_image_surface_get_data(image);
  int x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (data[y * stride + x * 4 + 3] != 0) {  // alpha, in native byte order on little-endian
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  if (x1 < 0) return std::nullopt;
  return Rect{x0 / scale, y0 / scale, (x1 + 1 - x0) / scale, (y1 + 1 - y0) / scale};
}

struct Drawn {
  BoxTree boxes;
  CairoSurfacePtr image;
};

// Lays `tree` out on the medium canvas without a background and paints it at 2x.
Drawn draw(const Node& tree) {
  Environment env = drawing(WidgetFamily::systemMedium);
  PangoTextMeasurer text(testing::sharedFonts());
  const WidgetCanvas canvas = canvasFor(WidgetFamily::systemMedium);
  Drawn d{layOut(tree, env, canvas, text), nullptr};
  d.image = paintImage(d.boxes, canvas, 2, testing::sharedFonts());
  return d;
}

const Box* findText(const Box& b) {
  if (b.kind == BoxKind::text) return &b;
  for (const Box& c : b.children)
    if (const Box* t = findText(c)) return t;
  for (const auto& [index, item] : b.builtItems)
    if (const Box* t = findText(*item)) return t;
  return nullptr;
}

TEST(Render, TextOfEveryDirectionIsDrawnInsideItsFrame) {
  const std::vector<std::string> texts = {
      "@harbor", "@مرحبا_بالعالم", "שלום עולם, זו הערה", "@日本語", "@a\0b\ac"s, "abc שלום def", "שלום abc"};
  for (const std::string& t : texts) {
    for (std::optional<int> limit : {std::optional<int>(1), std::optional<int>()}) {
      SCOPED_TRACE(t);
      // A text cut to one line next to a spacer, as a handle is in its row.
      Drawn d = draw(HStack(VerticalAlignment::center, 6,
                            {Text::verbatim(t).font(Font::system(12.5)).lineLimit(limit), Spacer(4)}));
      const Box& text = *findText(d.boxes.root);
      auto ink = inkBounds(d.image.get(), 2);
      ASSERT_TRUE(ink);
      EXPECT_GE(ink->x, text.frame.x - 1);
      EXPECT_LE(ink->maxX(), text.frame.maxX() + 1);
    }
  }
}

TEST(Render, NothingIsDrawnOutsideTheWidgetsRoundedShape) {
  // Content far larger than the widget: centred, clipped at the rounded edge.
  Drawn d = draw(Circle().frame(2000, 2000));
  const WidgetCanvas canvas = canvasFor(WidgetFamily::systemMedium);
  const int stride = cairo_image_surface_get_stride(d.image.get());
  const unsigned char* data = cairo_image_surface_get_data(d.image.get());
  auto alpha = [&](double x, double y) { return data[int(y * 2) * stride + int(x * 2) * 4 + 3]; };
  EXPECT_EQ(alpha(0.5, 0.5), 0);  // the corner
  EXPECT_EQ(alpha(canvas.width - 0.5, canvas.height - 0.5), 0);
  EXPECT_EQ(alpha(canvas.width / 2, canvas.height / 2), 255);
  EXPECT_EQ(alpha(canvas.width / 2, 0.5), 255);  // the straight edges are reached
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// libpng's own errors come back as an exception with its reason, after
// libpng has unwound itself; the next image encodes as usual.
TEST(PngWriter, LibpngErrorsBecomeExceptionsAndLeaveNothingBroken) {
  unsigned char pixels[16] = {};
  CairoSurfacePtr empty(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, 4, 0, 16));  // no rows
  ASSERT_EQ(cairo_surface_status(empty.get()), CAIRO_STATUS_SUCCESS);
  for (int i = 0; i < 3; ++i) {
    try {
      encodePng(empty.get());
      ADD_FAILURE() << "an image without rows was encoded";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "PNG: Invalid IHDR data");
    }
  }
  CairoSurfacePtr pixel(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  const std::string png = encodePng(pixel.get());
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace corvane
