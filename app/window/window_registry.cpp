#include "app/window/window_registry.hpp"

#include <algorithm>
#include <iostream>

namespace corvane {

WindowRegistry::WindowRegistry(WindowPlacement first, WidgetSettings& settings, const FontLibrary& fonts,
                               FamilyContent::Painted painted, ActionsFor actions, std::vector<std::string> placeGiven)
    : first_(first),
      placeGiven_(std::move(placeGiven)),
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
    if (s->content->widgetFamily() == family) return s.get();
  return nullptr;
}

WindowRegistry::Shown& WindowRegistry::open(WidgetFamily family, bool byPerson) {
  windows_.push_back(std::make_unique<Shown>());
  Shown& s = *windows_.back();
  s.content = std::make_unique<FamilyContent>(family, fonts_, painted_);
  const std::string_view name = familyShortName(family);
  const bool given = std::find(placeGiven_.begin(), placeGiven_.end(), name) != placeGiven_.end();
  s.dragged = given ? std::nullopt : settings_.place(name);
  if (given) s.keptAside = settings_.place(name);
  s.locked = settings_.locked(name);
  WindowPlacement placement = first_;
  placement.dragged = s.dragged;
  // A layer surface, which the compositor places, lines up along the edge.
  for (const auto& other : windows_)
    if (other.get() != &s) placement.offset += other->content->size().width + first_.margin;
  WindowActions actions = actions_(s);
  actions.taken = [this, &s] { return takenFor(s); };
  s.window = std::make_unique<WidgetWindow>(*s.content, placement, std::move(actions));
  s.window->setLocked(s.locked);
  if (byPerson) keep();
  return s;
}

std::vector<Rect> WindowRegistry::takenFor(const Shown& shown) const {
  std::vector<Rect> taken;
  bool before = true;
  for (const auto& other : windows_) {
    if (other.get() == &shown) {
      before = false;
      continue;
    }
    if (!other->window || !(before || other->dragged)) continue;
    if (auto frame = other->window->frame()) taken.push_back(*frame);
  }
  return taken;
}

void WindowRegistry::respace() {
  for (const auto& s : windows_)
    if (s->window) s->window->place();
}

void WindowRegistry::toCorner(Shown& shown) {
  shown.dragged.reset();
  shown.keptAside.reset();
  shown.window->moveToCorner();
  keep();
}

void WindowRegistry::lock(Shown& shown, bool locked) {
  shown.locked = locked;
  shown.window->setLocked(locked);
  keep();
}

bool WindowRegistry::showInstead(Shown& shown, WidgetFamily to) {
  if (shown.content->widgetFamily() == to || find(to)) return false;
  shown.content->layout = nullptr;
  shown.content->setFamily(to);
  shown.window->familyChanged();
  respace();  // a grown widget pushes its neighbours along; a shrunk one lets them close up
  keep();
  return true;
}

void WindowRegistry::dragged(Shown& shown, double x, double y) {
  shown.dragged = Rect{x, y, 0, 0};
  shown.keptAside.reset();
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
  for (const auto& s : windows_) names.emplace_back(s->content->family());
  return names;
}

void WindowRegistry::keep() {
  std::vector<WidgetSetting> widgets;
  widgets.reserve(windows_.size());
  for (const auto& s : windows_)
    widgets.push_back({std::string(s->content->family()), s->dragged ? s->dragged : s->keptAside, s->locked});
  if (auto error = settings_.saveLater(std::move(widgets), writer_); error && !keepErrorReported_) {
    std::cerr << "corvane-widget: cannot keep the widgets' settings in " << settings_.path() << ": " << *error << '\n';
    keepErrorReported_ = true;
  }
}

}  // namespace corvane
