#include "platform/ui/text/pango_text.hpp"

#include <cmath>
#include <limits>

#include "platform/ui/text/visible_text.hpp"

namespace corvane {
namespace {

// Pango reads a negative height as a limit in lines; this many is no limit.
constexpr int kNoLineLimit = -1000000;

// Whether `layout`, made without a width, would be laid out the same at
// `width` with `maxLines`: no line is broken or cut there, and every line
// is left to right, so none moves to the right of the width either.
bool fitsUnchanged(PangoLayout* layout, double width, int maxLines) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  if (logical.width > static_cast<int>(std::floor(std::max(0.0, width) * PANGO_SCALE))) return false;
  if (maxLines > 0 && pango_layout_get_line_count(layout) > maxLines) return false;
  for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next)
    if (static_cast<PangoLayoutLine*>(l->data)->resolved_dir != PANGO_DIRECTION_LTR) return false;
  return true;
}

}  // namespace

GObjectPtr<PangoLayout> makeWholeTextLayout(const FontLibrary& fonts, const std::string& text, const Font& font,
                                            std::optional<double> width, int maxLines) {
  fonts.cover(text);
  GObjectPtr<PangoLayout> layout(pango_layout_new(fonts.context()));
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  auto description = FontLibrary::describe(font);
  pango_layout_set_font_description(layout.get(), description.get());
  // A word broken to fit is broken without a hyphen, as the toolkit does.
  PangoAttrListPtr attributes(pango_attr_list_new());
  pango_attr_list_insert(attributes.get(), pango_attr_insert_hyphens_new(FALSE));
  pango_layout_set_attributes(layout.get(), attributes.get());
  if (width) {
    pango_layout_set_width(layout.get(), static_cast<int>(std::floor(std::max(0.0, *width) * PANGO_SCALE)));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    // A negative height is a limit in lines; the last kept line ends in "…".
    pango_layout_set_height(layout.get(), maxLines > 0 ? -maxLines : kNoLineLimit);
  } else {
    pango_layout_set_width(layout.get(), -1);
  }
  return layout;
}

GObjectPtr<PangoLayout> makeTextLayout(const FontLibrary& fonts, const std::string& text, const Font& font,
                                       std::optional<double> width, int maxLines, std::optional<double> height) {
  return makeWholeTextLayout(fonts, visibleText(text, textBudget(font.size, width, maxLines, height)), font, width,
                             maxLines);
}

PangoTextMeasurer::Key PangoTextMeasurer::keyOf(const std::string& text, const Font& font, std::optional<double> width,
                                                int maxLines, std::optional<double> height) {
  // Keyed by what is shaped, so a huge text is not copied into every key.
  return {visibleText(text, textBudget(font.size, width, maxLines, height)),
          font.size,
          font.weight ? static_cast<int>(*font.weight) : -1,
          font.design ? 1 : 0,
          width.value_or(-1),
          maxLines};
}

GObjectPtr<PangoLayout> PangoTextMeasurer::measuredLayout(const std::string& text, const Font& font,
                                                          std::optional<double> width, int maxLines,
                                                          std::optional<double> height) const {
  auto it = cache_.find(keyOf(text, font, width, maxLines, height));
  if (it == cache_.end()) return nullptr;
  return GObjectPtr<PangoLayout>(PANGO_LAYOUT(g_object_ref(it->second.layout.get())));
}

void PangoTextMeasurer::forget(const std::string& text) {
  // Keys order by their text first: its measurements lie together. (A text
  // whose key is its cut or its controls made visible is left; it only
  // costs memory.)
  constexpr double lowest = std::numeric_limits<double>::lowest();
  constexpr int least = std::numeric_limits<int>::min();
  auto it = cache_.lower_bound(Key{text, lowest, least, least, lowest, least});
  while (it != cache_.end() && std::get<0>(it->first) == text) it = cache_.erase(it);
}

TextMetrics PangoTextMeasurer::measure(const std::string& text, const Font& font, std::optional<double> width,
                                       int maxLines, std::optional<double> height) {
  Key key = keyOf(text, font, width, maxLines, height);
  if (auto it = cache_.find(key); it != cache_.end()) return it->second.metrics;
  if (width) {
    // Layout asks for a text's natural size, then offers it a width: when
    // that text fits the width on as many lines, left to right, the layout
    // at the width is the natural one, so it is not shaped again.
    auto natural = cache_.find(keyOf(text, font, std::nullopt, maxLines, height));
    if (natural != cache_.end() && std::get<0>(natural->first) == std::get<0>(key) &&
        fitsUnchanged(natural->second.layout.get(), *width, maxLines)) {
      const TextMetrics m = natural->second.metrics;
      cache_.emplace(std::move(key),
                     Measured{m, GObjectPtr<PangoLayout>(PANGO_LAYOUT(g_object_ref(natural->second.layout.get())))});
      return m;
    }
  }

  auto layout = makeWholeTextLayout(fonts_, std::get<0>(key), font, width, maxLines);
  PangoRectangle logical;
  pango_layout_get_extents(layout.get(), nullptr, &logical);
  int ascentTop = 0, descentBottom = 0;
  {
    PangoLayoutIterPtr iter(pango_layout_get_iter(layout.get()));
    pango_layout_iter_get_line_yrange(iter.get(), &ascentTop, &descentBottom);
  }

  TextMetrics m;
  m.size = {logical.width / double(PANGO_SCALE), logical.height / double(PANGO_SCALE)};
  if (width) m.size.width = std::min(m.size.width, std::max(0.0, *width));
  m.firstBaseline = pango_layout_get_baseline(layout.get()) / double(PANGO_SCALE);
  m.lineHeight = (descentBottom - ascentTop) / double(PANGO_SCALE);
  cache_.emplace(std::move(key), Measured{m, std::move(layout)});
  return m;
}

}  // namespace corvane
