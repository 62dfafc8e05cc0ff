#include "app/desktop_output.hpp"

#include "app/entry_source.hpp"
#include "support/fault.hpp"

namespace corvane {

DesktopOutput::DesktopOutput(const WindowRunOptions& options, const FontLibrary& fonts, LiveProcess& process,
                             int startScale)
    : EventPrintingListener(options.events),
      process_(process),
      windows_(
          WindowPlacement{cornerFromName(options.position).value_or(Corner::topRight), options.margin, 0,
                          options.monitor, std::nullopt},
          RememberedPlaces::defaultPath(), fonts,
          [this](const LivePicture& picture, int scale) { painted(picture, scale); },
          [this](WindowRegistry::Shown& shown) { return actionsFor(shown); }),
      scale_(startScale) {}

DesktopOutput::~DesktopOutput() {
  if (scaleIdle_) g_source_remove(scaleIdle_);
}

WindowActions DesktopOutput::actionsFor(WindowRegistry::Shown& shown) {
  // Each action finds what its window shows when it is taken, not when the
  // window was opened: a Size change gives the window another family.
  WindowActions a;
  for (WidgetFamily f : declaredFamilies()) a.sizes.emplace_back(familyShortName(f));
  a.reload = [this] { host_->requestReload(); };
  a.quit = [this] { process_.quit(); };
  a.resize = [this, &shown](std::string_view to) {
    if (auto family = familyFromName(to)) showInstead(shown, *family);
  };
  a.moved = [this, &shown](double x, double y) { windows_.dragged(shown, x, y); };
  return a;
}

void DesktopOutput::open(WidgetFamily family) {
  if (WindowRegistry::Shown* shown = windows_.find(family)) {
    if (shown->picture->view) shown->window->present();
    return;
  }
  windows_.open(family);
  host_->addFamily(family);  // draws it, once the host has an entry
}

void DesktopOutput::showInstead(WindowRegistry::Shown& shown, WidgetFamily to) {
  const WidgetFamily from = shown.picture->widgetFamily();
  if (from == to || windows_.find(to)) return;
  host_->removeFamily(from);
  windows_.showInstead(shown, to);
  // The window's scale is counted again at its next paint, as the new family's.
  if (auto changed = scale_.forget(shown.picture.get())) host_->setDisplayScale(*changed);
  host_->addFamily(to);  // draws the new view
}

void DesktopOutput::viewReplaced(WidgetFamily family, const LiveView& view) {
  WindowRegistry::Shown* shown = windows_.find(family);
  if (!shown) return;
  const bool first = !shown->picture->view;
  shown->picture->view = &view;
  shown->window->contentChanged();
  if (first) shown->window->present();
}

void DesktopOutput::viewChanged(WidgetFamily family, const LiveView& view, Rect damage) {
  WindowRegistry::Shown* shown = windows_.find(family);
  if (!shown) return;
  shown->picture->view = &view;
  shown->window->contentChanged(damage);
}

void DesktopOutput::viewRemoved(WidgetFamily family) {
  if (WindowRegistry::Shown* shown = windows_.find(family)) shown->picture->view = nullptr;
}

// Every paint: the --events line, and the scale the window was drawn at.
// A window drawn at another scale than the views are laid out for has them
// laid out again, after this paint (which shows the old layout scaled).
void DesktopOutput::painted(const LivePicture& picture, int scale) {
  if (picture.view) drawn(host_->now(), picture.widgetFamily(), *picture.view);
  if (!scale_.seen(&picture, scale) || scaleIdle_) return;
  scaleIdle_ = g_idle_add(
      +[](gpointer self) -> gboolean {
        auto* out = static_cast<DesktopOutput*>(self);
        out->scaleIdle_ = 0;
        contained("laying out for a new scale", [out] { out->host_->setDisplayScale(out->scale_.chosen()); });
        return G_SOURCE_REMOVE;
      },
      this);
}

}  // namespace corvane
