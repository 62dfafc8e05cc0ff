#include "platform/ui/shaping/pango_text.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/shaping/visible_text.hpp"

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

namespace {

// The places where Pango offers a line break inside a grapheme, as character
// indices. A layout starts from the paragraph's default breaks and tailors
// them per item, while pango_get_log_attrs() tailors per script run, and an
// item's start keeps the default break: both are asked.
std::vector<int> breaksInsideGraphemes(const std::u32string& text) {
  std::string utf8;
  for (char32_t c : text) {
    char bytes[6];
    utf8.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(c, bytes)));
  }
  const auto n = static_cast<int>(text.size());
  std::vector<PangoLogAttr> tailored(text.size() + 1), plain(text.size() + 1);
  pango_get_log_attrs(utf8.data(), static_cast<int>(utf8.size()), -1, pango_language_get_default(), tailored.data(),
                      n + 1);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  pango_default_break(utf8.data(), static_cast<int>(utf8.size()), nullptr, plain.data(), n + 1);
  G_GNUC_END_IGNORE_DEPRECATIONS
  std::vector<int> inside;
  for (std::size_t i = 1; i < text.size(); ++i)
    if ((tailored[i].is_line_break || plain[i].is_line_break) && !(tailored[i].is_char_break && plain[i].is_char_break))
      inside.push_back(static_cast<int>(i));
  return inside;
}

}  // namespace

std::string withoutBreaksInsideGraphemes(const std::string& text) {
  // ASCII has no character that joins the one before it.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return text;
  if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  std::u32string chars;
  for (const char* p = text.data(); p < text.data() + text.size(); p = g_utf8_next_char(p))
    chars.push_back(g_utf8_get_char(p));
  // A break offered inside a grapheme (a mark on a space, an emoji modifier
  // after another, a flag split by a mark) is one Pango 1.50 cannot lay out
  // at a narrow width: it aborts. A space that carries a mark becomes a
  // no-break space (Unicode's own base for a mark shown alone); elsewhere a
  // word joiner, which draws nothing, takes the break away. What one fix
  // changes can move a break elsewhere, so the text is looked at again, a
  // few times at most.
  constexpr int kPasses = 8;
  bool changed = false;
  for (int pass = 0; pass < kPasses; ++pass) {
    const std::vector<int> inside = breaksInsideGraphemes(chars);
    if (inside.empty()) break;
    changed = true;
    // From the end, so the places before each fix stay where they are.
    for (std::size_t k = inside.size(); k-- > 0;) {
      const auto at = static_cast<std::size_t>(inside[k]);
      if (chars[at - 1] == U' ')
        chars[at - 1] = U'\u00A0';
      else
        chars.insert(chars.begin() + inside[k], U'\u2060');
    }
  }
  if (!changed) return text;
  std::string out;
  for (char32_t c : chars) {
    char bytes[6];
    out.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(c, bytes)));
  }
  return out;
}

GObjectPtr<PangoLayout> makeWholeTextLayout(const FontLibrary& fonts, const std::string& text, const Font& font,
                                            std::optional<double> width, int maxLines) {
  const std::string laid = withoutBreaksInsideGraphemes(text);
  fonts.cover(laid);
  GObjectPtr<PangoLayout> layout(pango_layout_new(fonts.context()));
  pango_layout_set_text(layout.get(), laid.data(), static_cast<int>(laid.size()));
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
  return {visibleText(text, textBudget(font.size, width, maxLines, height)),
          font.size,
          font.weight ? static_cast<int>(*font.weight) : -1,
          font.design ? 1 : 0,
          width.value_or(-1),
          maxLines};
}

TextMetrics PangoTextMeasurer::keep(Key key, TextMetrics metrics) {
  if (cache_.size() >= kMaxKept) cache_.clear();
  cache_.insert_or_assign(std::move(key), Kept{metrics, pass_});
  return metrics;
}

void PangoTextMeasurer::passDone(Pass pass) {
  if (pass == Pass::whole) {
    std::erase_if(cache_, [this](const auto& kept) { return kept.second.pass != pass_; });
    for (auto& [key, kept] : cache_) kept.whole = true;
  } else {
    std::erase_if(cache_,
                  [this](const auto& kept) { return !kept.second.whole && pass_ - kept.second.pass >= kPassesKept; });
  }
  ++pass_;
}

TextMetrics PangoTextMeasurer::measure(const std::string& text, const Font& font, std::optional<double> width,
                                       int maxLines, std::optional<double> height) {
  Key key = keyOf(text, font, width, maxLines, height);
  if (auto it = cache_.find(key); it != cache_.end()) {
    it->second.pass = pass_;
    return it->second.metrics;
  }
  if (width) {
    // Layout asks for a text's natural size, then offers it a width: when
    // that text fits the width on as many lines, left to right, the layout
    // at the width is the natural one, so it is not shaped again.
    auto natural = cache_.find(keyOf(text, font, std::nullopt, maxLines, height));
    if (natural != cache_.end() && std::get<0>(natural->first) == std::get<0>(key) &&
        fitsUnchanged(natural->second.metrics.shaped->layout.get(), *width, maxLines)) {
      natural->second.pass = pass_;
      return keep(std::move(key), natural->second.metrics);
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
  m.shaped = std::make_shared<const ShapedText>(ShapedText{std::move(layout), &fonts_});
  return keep(std::move(key), std::move(m));
}

}  // namespace corvane
