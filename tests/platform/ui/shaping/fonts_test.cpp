#include "platform/ui/shaping/fonts.hpp"

#include <gtest/gtest.h>

#include "platform/ui/shaping/pango_text.hpp"

namespace corvane {
namespace {

int unknownGlyphs(const FontLibrary& fonts, const std::string& text, const Font& font) {
  auto layout = makeTextLayout(fonts, text, font, std::nullopt, 0);
  return pango_layout_get_unknown_glyphs_count(layout.get());
}

TEST(Fonts, EveryScriptOfAHandleOrNoteHasGlyphs) {
  FontLibrary fonts;  // its own: the fallbacks it loads stay with it
  const std::vector<std::string> texts = {
      "@quiet_orchard 18/40", "Привет", "Καλημέρα", "שלום", "東京_shop", "いいね", "你好", "🚀 done",
  };
  for (const Font& font :
       {Font::system(12.5, FontWeight::semibold), Font::system(10, std::nullopt, FontDesign::monospaced)})
    for (const std::string& text : texts) {
      SCOPED_TRACE(text);
      EXPECT_EQ(unknownGlyphs(fonts, text, font), 0);
    }
}

TEST(Fonts, SystemAndMonospacedFacesAreTheProjectFonts) {
  FontLibrary fonts;
  struct Case {
    Font font;
    const char* family;
    int weight;
  };
  const std::vector<Case> cases = {
      {Font::system(10), "Inter", PANGO_WEIGHT_NORMAL},
      {Font::system(10, FontWeight::medium), "Inter", PANGO_WEIGHT_MEDIUM},
      {Font::system(10, FontWeight::semibold), "Inter", PANGO_WEIGHT_SEMIBOLD},
      {Font::system(38, FontWeight::bold), "Inter", PANGO_WEIGHT_BOLD},
      {Font::system(12.5, FontWeight::semibold, FontDesign::monospaced), "JetBrains Mono", PANGO_WEIGHT_SEMIBOLD},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family);
    auto description = FontLibrary::describe(c.font);
    GObjectPtr<PangoFont> loaded(pango_context_load_font(fonts.context(), description.get()));
    ASSERT_TRUE(loaded);
    PangoFontDescriptionPtr got(pango_font_describe(loaded.get()));
    EXPECT_STREQ(pango_font_description_get_family(got.get()), c.family);
    EXPECT_EQ(pango_font_description_get_weight(got.get()), c.weight);
    EXPECT_EQ(pango_font_description_get_size(got.get()), static_cast<int>(c.font.size * PANGO_SCALE));
  }
}

}  // namespace
}  // namespace corvane
