#include "app/window/family_content.hpp"

#include "platform/desktop/reading_order.hpp"

namespace corvane {

Size FamilyContent::size() const {
  const WidgetCanvas c = canvasFor(family_);
  return {c.width, c.height};
}

double FamilyContent::cornerRadius() const { return canvasFor(family_).cornerRadius; }

std::string_view FamilyContent::family() const { return familyShortName(family_); }

void FamilyContent::paint(cairo_t* cr, int scale) {
  if (layout) layout->paint(cr, fonts_);
  if (painted_) painted_(*this, scale);
}

std::string FamilyContent::description() const {
  std::string text = layout ? readingOrderText(layout->boxes()) : std::string();
  if (const std::string extra = note ? note() : std::string(); !extra.empty())
    text += (text.empty() ? "" : "\n") + extra;
  return text;
}

}  // namespace corvane
