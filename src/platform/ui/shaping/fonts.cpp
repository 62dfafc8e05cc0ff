#include "platform/ui/shaping/fonts.hpp"

#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <stdexcept>

namespace corvane {

namespace {

// The system's font caches, written when font packages are installed: adding
// a font directory then reads its cache instead of parsing every file
// (0.2 ms instead of 4 ms). A directory without a valid cache is scanned.
constexpr char kSystemCaches[] =
    "<fontconfig><cachedir>/var/cache/fontconfig</cachedir>"
    "<cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";

}  // namespace

FontFiles FontFiles::installed() {
  FontFiles f;
  f.directories = {CORVANE_INTER_DIR, CORVANE_MONO_DIR, CORVANE_FALLBACK_FONT_DIR};
  f.fallbacks = {CORVANE_CJK_FONT, CORVANE_EMOJI_FONT};
  return f;
}

FontLibrary::FontLibrary(const FontFiles& files)
    : config_(FcConfigCreate()), coverage_(FcCharSetCreate()), fallbackFiles_(files.fallbacks) {
  FcConfigParseAndLoadFromMemory(config_.get(), reinterpret_cast<const FcChar8*>(kSystemCaches), FcFalse);
  for (const std::string& dir : files.directories)
    FcConfigAppFontAddDir(config_.get(), reinterpret_cast<const FcChar8*>(dir.c_str()));
  FcFontSet* loaded = FcConfigGetFonts(config_.get(), FcSetApplication);
  if (!loaded || loaded->nfont == 0)
    throw std::runtime_error("no font could be loaded (install fonts-inter and fonts-jetbrains-mono)");
  if (FcFontSet* set = FcConfigGetFonts(config_.get(), FcSetApplication)) {
    for (int i = 0; i < set->nfont; ++i) {
      FcCharSet* chars = nullptr;
      if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) == FcResultMatch)
        FcCharSetMerge(coverage_.get(), chars, nullptr);
    }
  }
  // Cairo's FreeType backend asks fontconfig's current configuration for
  // defaults; making ours current keeps it from loading the system's
  // configuration and font caches behind our back.
  FcConfigSetCurrent(config_.get());

  fontMap_.reset(pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT));
  if (!fontMap_) throw std::runtime_error("Pango has no FreeType font map");
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap_.get()), config_.get());

  context_.reset(pango_font_map_create_context(fontMap_.get()));
  pango_cairo_context_set_resolution(context_.get(), 72);
  CairoFontOptionsPtr options(cairo_font_options_create());
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context_.get(), options.get());
  pango_context_set_round_glyph_positions(context_.get(), FALSE);
}

void FontLibrary::cover(std::string_view text) const {
  if (fallbacksLoaded_) return;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    gunichar c = g_utf8_get_char_validated(p, end - p);
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) return;  // not UTF-8: nothing to add
    // Controls and joiners have no glyph of their own.
    if (c >= 0x20 && c != 0x200D && !(c >= 0xFE00 && c <= 0xFE0F) && !FcCharSetHasChar(coverage_.get(), c)) {
      loadFallbacks();
      return;
    }
    p = g_utf8_next_char(p);
  }
}

void FontLibrary::loadFallbacks() const {
  fallbacksLoaded_ = true;
  int added = 0;
  for (const std::string& file : fallbackFiles_)
    added += FcConfigAppFontAddFile(config_.get(), reinterpret_cast<const FcChar8*>(file.c_str())) ? 1 : 0;
  // Last, whatever else the machine has (through the same caches), so a
  // script none of the project's fonts cover still shows.
  for (const char* dir : {"/usr/share/fonts", "/usr/local/share/fonts"})
    added += FcConfigAppFontAddDir(config_.get(), reinterpret_cast<const FcChar8*>(dir)) ? 1 : 0;
  if (added == 0) return;
  // The emoji font is a bitmap font: fontconfig's stock rule scales it to
  // the size asked for instead of drawing it at its 109-pixel strike.
  FcConfigParseAndLoad(config_.get(), reinterpret_cast<const FcChar8*>(CORVANE_SCALE_BITMAP_RULE), FcFalse);
  // Pango caches what it matched; tell it the fonts changed.
  pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(fontMap_.get()));
  pango_context_changed(context_.get());
}

PangoFontDescriptionPtr FontLibrary::describe(const Font& font) {
  PangoFontDescriptionPtr d(pango_font_description_new());
  pango_font_description_set_family(d.get(), font.design ? "JetBrains Mono" : "Inter");
  PangoWeight weight = PANGO_WEIGHT_NORMAL;
  if (font.weight) {
    switch (*font.weight) {
      case FontWeight::medium: weight = PANGO_WEIGHT_MEDIUM; break;
      case FontWeight::semibold: weight = PANGO_WEIGHT_SEMIBOLD; break;
      case FontWeight::bold: weight = PANGO_WEIGHT_BOLD; break;
    }
  }
  pango_font_description_set_weight(d.get(), weight);
  pango_font_description_set_absolute_size(d.get(), font.size * PANGO_SCALE);
  return d;
}

}  // namespace corvane
