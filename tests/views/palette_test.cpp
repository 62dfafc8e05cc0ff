#include "views/palette.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace corvane {
namespace {

TEST(Palette, ColoursAreExactQuotientsOfTheirBytes) {
  struct Case {
    const Color& (*color)();
    const char* name;
    int r, g, b;
  };
  const std::vector<Case> cases = {
      {cvBg, "cvBg", 15, 15, 20},          {cvInk, "cvInk", 244, 244, 248},       {cvSub, "cvSub", 185, 188, 203},
      {cvMuted, "cvMuted", 142, 145, 164}, {cvOk, "cvOk", 110, 231, 183},         {cvErr, "cvErr", 253, 164, 175},
      {cvRep, "cvRep", 249, 168, 197},     {cvBrand, "cvBrand", 225, 29, 99},     {cvRun, "cvRun", 52, 211, 153},
      {cvIdle, "cvIdle", 156, 163, 175},   {cvErrDot, "cvErrDot", 251, 113, 133},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Color& got = c.color();
    EXPECT_EQ(got.red, c.r / 255.0);
    EXPECT_EQ(got.green, c.g / 255.0);
    EXPECT_EQ(got.blue, c.b / 255.0);
    EXPECT_EQ(got.opacity, 1.0);
    EXPECT_EQ(got.name, c.name);
    EXPECT_EQ(&got, &c.color());  // one value for the life of the process
  }
  EXPECT_EQ(cvRun().blue, 0.6);
  EXPECT_NE(cvErr(), cvErrDot());
}

TEST(Palette, HexReadsTheLow24BitsOnly) {
  EXPECT_EQ(Color::hex(0), (Color{0, 0, 0, 1, {}}));
  EXPECT_EQ(Color::hex(0xFFFFFF), (Color{1, 1, 1, 1, {}}));
  EXPECT_EQ(Color::hex(0xFF0F0F14), cvBg());
  EXPECT_EQ(Color::hex(0xFF0F0F14).opacity, 1.0);
  EXPECT_EQ(Color::hex(0xE11D63), cvBrand());
  EXPECT_EQ(cvBrand().hexString(), "#E11D63");
}

TEST(Palette, ConcurrentFirstReadsSeeOneValue) {
  const Color* seen[2] = {};
  std::thread a([&] { seen[0] = &cvRep(); });
  std::thread b([&] { seen[1] = &cvRep(); });
  a.join();
  b.join();
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(*seen[0], Color::hex(0xF9A8C5));
}

}  // namespace
}  // namespace corvane
