#include "platform/ui/fonts.hpp"

#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <stdexcept>

namespace corvane {

FontFiles FontFiles::installed() {
  const std::string inter = CORVANE_INTER_DIR;
  const std::string mono = CORVANE_MONO_DIR;
  const std::string fallback = CORVANE_FALLBACK_FONT_DIR;
  FontFiles f;
  for (const char* w : {"Regular", "Medium", "SemiBold", "Bold"}) {
    f.files.push_back(inter + "/Inter-" + w + ".otf");
    f.files.push_back(mono + "/JetBrainsMono-" + w + ".ttf");
  }
  // One broad fallback face: Pango emboldens it where a bold is asked for, and
  // every further file would be parsed at each start.
  for (const char* name : {"DejaVuSans.ttf"})
    f.files.push_back(fallback + "/" + name);
  return f;
}

FontLibrary::FontLibrary(const FontFiles& files) : config_(FcConfigCreate()) {
  int loaded = 0;
  for (const std::string& file : files.files)
    loaded += FcConfigAppFontAddFile(config_.get(), reinterpret_cast<const FcChar8*>(file.c_str())) ? 1 : 0;
  if (loaded == 0) throw std::runtime_error("no font could be loaded (install fonts-inter and fonts-jetbrains-mono)");
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
