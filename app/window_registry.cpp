#include "app/window_registry.hpp"

#include <iostream>

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

std::string LivePicture::description() const { return view ? readingOrderText(view->boxes()) : std::string(); }

WindowRegistry::WindowRegistry(WindowPlacement first, std::string placesFile, const FontLibrary& fonts,
                               LivePicture::Painted painted, ActionsFor actions)
    : first_(first),
      places_(std::move(placesFile)),
      fonts_(fonts),
      painted_(std::move(painted)),
      actions_(std::move(actions)) {
  places_.load();
}

WindowRegistry::Shown* WindowRegistry::find(WidgetFamily family) {
  auto it = windows_.find(family);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowRegistry::Shown& WindowRegistry::open(WidgetFamily family) {
  auto& slot = windows_[family];
  slot = std::make_unique<Shown>();
  Shown& s = *slot;
  s.picture = std::make_unique<LivePicture>(family, fonts_, painted_);
  // Several widgets line up along the edge from the chosen corner.
  WindowPlacement placement = first_;
  placement.offset = nextOffset_;
  placement.dragged = places_.place(familyShortName(family));
  nextOffset_ += s.picture->size().width + first_.margin;
  s.window = std::make_unique<WidgetWindow>(*s.picture, placement, actions_(s));
  return s;
}

bool WindowRegistry::showInstead(Shown& shown, WidgetFamily to) {
  const WidgetFamily from = shown.picture->widgetFamily();
  if (from == to || windows_.contains(to)) return false;
  auto node = windows_.extract(from);
  node.key() = to;
  windows_.insert(std::move(node));
  shown.picture->view = nullptr;
  shown.picture->setFamily(to);
  shown.window->familyChanged();
  return true;
}

void WindowRegistry::dragged(const Shown& shown, double x, double y) {
  if (auto error = places_.remember(shown.picture->family(), x, y); error && !placeErrorReported_) {
    std::cerr << "corvane-widget: cannot remember the widget's place in " << places_.path() << ": " << *error << '\n';
    placeErrorReported_ = true;
  }
}

}  // namespace corvane
