// The application's icon as the build draws it: the size asked for, corners
// cut like the widget's, the brand-coloured plane on the widget's background.

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/assets/icon_files.hpp"
#include "views/palette.hpp"

namespace corvane {
namespace {

struct Png {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface{nullptr, cairo_surface_destroy};

  explicit Png(const std::string& bytes) {
    struct Reader {
      const std::string& bytes;
      std::size_t at = 0;
    } reader{bytes};
    surface.reset(cairo_image_surface_create_from_png_stream(
        +[](void* closure, unsigned char* data, unsigned int length) {
          auto* r = static_cast<Reader*>(closure);
          if (r->at + length > r->bytes.size()) return CAIRO_STATUS_READ_ERROR;
          std::memcpy(data, r->bytes.data() + r->at, length);
          r->at += length;
          return CAIRO_STATUS_SUCCESS;
        },
        &reader));
  }
  int width() const { return cairo_image_surface_get_width(surface.get()); }
  int height() const { return cairo_image_surface_get_height(surface.get()); }
  // The pixel at a fraction of the side: red, green, blue, alpha in 0..255.
  std::array<int, 4> at(double fx, double fy) const {
    const int x = static_cast<int>(fx * width()), y = static_cast<int>(fy * height());
    const unsigned char* row =
        cairo_image_surface_get_data(surface.get()) + y * cairo_image_surface_get_stride(surface.get());
    std::uint32_t argb = 0;
    std::memcpy(&argb, row + 4 * x, 4);
    return {int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF), int(argb >> 24)};
  }
};

// How far a pixel is from a colour, as the largest channel difference.
int distance(const std::array<int, 4>& pixel, const Color& c) {
  const double channels[] = {c.red, c.green, c.blue};
  int d = std::abs(pixel[3] - 255);
  for (int i = 0; i < 3; ++i) d = std::max(d, std::abs(pixel[i] - static_cast<int>(std::lround(channels[i] * 255))));
  return d;
}

TEST(AppIcon, EachSizeIsThePlaneOnTheBackgroundWithRoundedCorners) {
  struct Case {
    int pixels;
    int tolerance;    // small sizes blend the plane's thin wings into the background
    int cornerAlpha;  // at 16 px the corner's radius is 2 px: its pixel is partly inside
  };
  for (const Case c : {Case{16, 90, 80}, Case{32, 40, 0}, Case{48, 8, 0}, Case{256, 2, 0}}) {
    SCOPED_TRACE(c.pixels);
    const Png png(appIconPng(c.pixels));
    ASSERT_EQ(cairo_surface_status(png.surface.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(png.width(), c.pixels);
    EXPECT_EQ(png.height(), c.pixels);
    // Outside the rounded corners nothing is drawn.
    for (auto [fx, fy] : {std::pair{0.0, 0.0}, {0.99, 0.0}, {0.0, 0.99}, {0.99, 0.99}})
      EXPECT_LE(png.at(fx, fy)[3], c.cornerAlpha) << fx << "," << fy;
    // The edges' middles and a point clear of the plane are the background;
    // the middle of the plane's large wing is the brand colour.
    for (auto [fx, fy] : {std::pair{0.5, 0.01}, {0.01, 0.5}, {0.15, 0.85}, {0.85, 0.85}})
      EXPECT_EQ(distance(png.at(fx, fy), cvBg()), 0) << fx << "," << fy;
    EXPECT_LE(distance(png.at(0.47, 0.41), cvBrand()), c.tolerance);
  }
  EXPECT_THROW(appIconPng(0), std::invalid_argument);
}

TEST(AppIcon, TheScalableIconIsTheSameSquareInPoints) {
  const std::string svg = appIconSvg();
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  for (const char* expected : {R"(width="64pt" height="64pt" viewBox="0 0 64 64")",
                               "fill:rgb(5.882353%,5.882353%,7.843137%)",      // cvBg
                               "fill:rgb(88.235294%,11.372549%,38.823529%)"})  // cvBrand
    EXPECT_NE(svg.find(expected), std::string::npos) << expected;
}

}  // namespace
}  // namespace corvane
