#include "app/window/live_picture.hpp"

#include "platform/desktop/reading_order.hpp"

namespace corvane {

Size LivePicture::size() const {
  const WidgetCanvas c = canvasFor(family_);
  return {c.width, c.height};
}

double LivePicture::cornerRadius() const { return canvasFor(family_).cornerRadius; }

std::string_view LivePicture::family() const { return familyShortName(family_); }

void LivePicture::paint(cairo_t* cr, int scale) {
  if (view) view->paint(cr, fonts_);
  if (painted_) painted_(*this, scale);
}

std::string LivePicture::description() const {
  std::string text = view ? readingOrderText(view->boxes()) : std::string();
  if (const std::string extra = note ? note() : std::string(); !extra.empty())
    text += (text.empty() ? "" : "\n") + extra;
  return text;
}

}  // namespace corvane
