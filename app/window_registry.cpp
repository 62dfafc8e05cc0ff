#include "app/window_registry.hpp"

#include <algorithm>
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

WindowRegistry::WindowRegistry(WindowPlacement first, WidgetSettings& settings, const FontLibrary& fonts,
                               LivePicture::Painted painted, ActionsFor actions)
    : first_(first),
      settings_(settings),
      fonts_(fonts),
      painted_(std::move(painted)),
      actions_(std::move(actions)),
      writer_([path = settings.path(), said = std::make_shared<bool>(false)](const std::string& error) {
        // Once per run: a disk that stays full would say it at every drag.
        if (*said) return;
        *said = true;
        std::cerr << "corvane-widget: cannot keep the widgets' settings in " << path << ": " << error << '\n';
      }) {}

WindowRegistry::Shown* WindowRegistry::find(WidgetFamily family) {
  for (auto& s : windows_)
    if (s->picture->widgetFamily() == family) return s.get();
  return nullptr;
}

WindowRegistry::Shown& WindowRegistry::open(WidgetFamily family, bool byPerson) {
  windows_.push_back(std::make_unique<Shown>());
  Shown& s = *windows_.back();
  s.picture = std::make_unique<LivePicture>(family, fonts_, painted_);
  s.dragged = settings_.place(familyShortName(family));
  // Several widgets line up along the edge from the chosen corner.
  WindowPlacement placement = first_;
  placement.offset = nextOffset_;
  placement.dragged = s.dragged;
  nextOffset_ += s.picture->size().width + first_.margin;
  s.window = std::make_unique<WidgetWindow>(*s.picture, placement, actions_(s));
  if (byPerson) keep();
  return s;
}

bool WindowRegistry::showInstead(Shown& shown, WidgetFamily to) {
  if (shown.picture->widgetFamily() == to || find(to)) return false;
  shown.picture->view = nullptr;
  shown.picture->setFamily(to);
  shown.window->familyChanged();
  keep();
  return true;
}

void WindowRegistry::dragged(Shown& shown, double x, double y) {
  shown.dragged = Rect{x, y, 0, 0};
  keep();
}

void WindowRegistry::close(Shown& shown) {
  if (windows_.size() > 1) {
    std::erase_if(windows_, [&shown](const auto& s) { return s.get() == &shown; });
    keep();
  } else {
    windows_.clear();
  }
}

std::vector<std::string> WindowRegistry::families() const {
  std::vector<std::string> names;
  for (const auto& s : windows_) names.emplace_back(s->picture->family());
  return names;
}

void WindowRegistry::keep() {
  std::vector<WidgetSetting> widgets;
  widgets.reserve(windows_.size());
  for (const auto& s : windows_) widgets.push_back({std::string(s->picture->family()), s->dragged});
  if (auto error = settings_.saveLater(std::move(widgets), writer_); error && !keepErrorReported_) {
    std::cerr << "corvane-widget: cannot keep the widgets' settings in " << settings_.path() << ": " << *error << '\n';
    keepErrorReported_ = true;
  }
}

}  // namespace corvane
