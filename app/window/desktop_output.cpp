#include "app/window/desktop_output.hpp"

#include "app/cli/entry_source.hpp"
#include "support/fault.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

// The main application's desktop entries: the reverse-DNS name the widget's
// kind is built on ("com.corvane.desktop" of "com.corvane.desktop.today"),
// then the plain one.
std::vector<std::string> applicationEntries() {
  const std::string kind = TodayWidget::kKind;
  return {kind.substr(0, kind.rfind('.')) + ".desktop", "corvane.desktop"};
}

// The families the command line placed (--position, --margin, --monitor):
// those it names, else every one.
std::vector<std::string> placeGivenFor(const WindowRunOptions& options) {
  if (!options.placeGiven) return {};
  if (!options.families.empty()) return options.families;
  std::vector<std::string> all;
  for (WidgetFamily f : declaredFamilies()) all.emplace_back(familyShortName(f));
  return all;
}

}  // namespace

DesktopOutput::DesktopOutput(const WindowRunOptions& options, const FontLibrary& fonts, HostProcess& process,
                             WidgetSettings& settings, int startScale, std::shared_ptr<const SnapshotVerdict> verdict)
    : EventPrintingListener(options.events, std::move(verdict)),
      process_(process),
      windows_(
          WindowPlacement{cornerFromName(options.position).value_or(Corner::topRight), options.margin, 0,
                          options.monitor, std::nullopt},
          settings, fonts, [this](const FamilyContent& content, int scale) { painted(content, scale); },
          [this](WindowRegistry::Shown& shown) { return actionsFor(shown); }, placeGivenFor(options)),
      scale_(startScale),
      application_(applicationEntries()),
      notice_(TodayWidget::kDisplayName, TodayWidget::kKind, TodayWidget::kKind) {}

DesktopOutput::~DesktopOutput() {
  if (scaleIdle_) g_source_remove(scaleIdle_);
  if (removeIdle_) g_source_remove(removeIdle_);
}

WindowActions DesktopOutput::actionsFor(WindowRegistry::Shown& shown) {
  // Each action finds what its window shows when it is taken, not when the
  // window was opened: a Size change gives the window another family.
  WindowActions a;
  for (WidgetFamily f : declaredFamilies()) a.menu.sizes.emplace_back(familyShortName(f));
  a.menu.canOpen = [this] { return application_.installed().has_value(); };
  a.menu.open = [this](guint32 time) { openApplication(time); };
  a.menu.reload = [this] { host_->requestReload(); };
  a.menu.resize = [this, &shown](std::string_view to) {
    if (auto family = familyFromName(to)) showInstead(shown, *family);
  };
  a.menu.shown = [this](std::string_view family) {
    auto f = familyFromName(family);
    return f && windows_.find(*f);
  };
  a.menu.add = [this](std::string_view family) {
    if (auto f = familyFromName(family)) add(*f);
  };
  a.menu.toCorner = [this, &shown] { windows_.toCorner(shown); };
  a.menu.locked = [&shown] { return shown.locked; };
  a.menu.lock = [this, &shown](bool locked) { windows_.lock(shown, locked); };
  a.menu.remove = [this, &shown] { remove(shown); };
  a.menu.quit = [this] { process_.quit(); };
  a.menu.canUseShellExtension = [this] { return bool(shellExtension_); };
  a.menu.useShellExtension = [this] {
    if (shellExtension_) shellExtension_();
  };
  a.moved = [this, &shown](double x, double y) { windows_.dragged(shown, x, y); };
  return a;
}

void DesktopOutput::open(WidgetFamily family, bool byPerson) {
  if (WindowRegistry::Shown* shown = windows_.find(family)) {
    if (shown->content->layout) shown->window->present();
    return;
  }
  noteVerdict(windows_.open(family, byPerson));
  host_->addFamily(family);  // draws it, once the host has an entry
}

// A screen reader hears, after the widget's texts, why it shows no data.
void DesktopOutput::noteVerdict(WindowRegistry::Shown& shown) {
  shown.content->note = [verdict = verdict_]() -> std::string {
    if (!verdict) return {};
    const std::string why = verdict->reason();
    return why.empty() ? why : "The snapshot file was not used: " + why;
  };
}

void DesktopOutput::add(WidgetFamily family) {
  if (windows_.find(family)) return;
  noteVerdict(windows_.open(family, true));
  host_->addFamily(family);
}

// The menu that asks belongs to the window: it is closed once the menu's
// own handler has returned.
void DesktopOutput::remove(WindowRegistry::Shown& shown) {
  if (removeIdle_) return;
  removing_ = &shown;
  removeIdle_ = g_idle_add(
      +[](gpointer self) -> gboolean {
        auto* out = static_cast<DesktopOutput*>(self);
        out->removeIdle_ = 0;
        contained("removing a widget", [out] {
          WindowRegistry::Shown& gone = *std::exchange(out->removing_, nullptr);
          const WidgetFamily family = gone.content->widgetFamily();
          if (auto changed = out->scale_.forget(gone.content.get())) out->host_->setDisplayScale(*changed);
          out->windows_.close(gone);
          out->host_->removeFamily(family);
          if (out->windows_.empty()) out->process_.quit();  // the last widget removed
        });
        return G_SOURCE_REMOVE;
      },
      this);
}

void DesktopOutput::openApplication(guint32 time) {
  const AppLauncher::Outcome outcome = application_.launch(gdk_display_get_default(), time);
  opened(host_->now(), outcome.launched, outcome.reason);
  // The click did nothing visible: say why, once per click.
  if (!outcome.launched)
    notice_.show(application_.installed() ? "Corvane could not be opened" : "Corvane is not installed", outcome.reason);
}

void DesktopOutput::showInstead(WindowRegistry::Shown& shown, WidgetFamily to) {
  const WidgetFamily from = shown.content->widgetFamily();
  if (from == to || windows_.find(to)) return;
  host_->removeFamily(from);
  windows_.showInstead(shown, to);
  // The window's scale is counted again at its next paint, as the new family's.
  if (auto changed = scale_.forget(shown.content.get())) host_->setDisplayScale(*changed);
  host_->addFamily(to);  // draws the new layout
}

void DesktopOutput::layoutReplaced(WidgetFamily family, const LiveLayout& layout) {
  WindowRegistry::Shown* shown = windows_.find(family);
  if (!shown) return;
  const bool first = !shown->content->layout;
  shown->content->layout = &layout;
  shown->window->contentChanged();
  if (first) shown->window->present();
}

void DesktopOutput::layoutChanged(WidgetFamily family, const LiveLayout& layout, Rect damage) {
  WindowRegistry::Shown* shown = windows_.find(family);
  if (!shown) return;
  shown->content->layout = &layout;
  shown->window->contentChanged(damage);
}

void DesktopOutput::layoutRemoved(WidgetFamily family) {
  if (WindowRegistry::Shown* shown = windows_.find(family)) shown->content->layout = nullptr;
}

// Every paint: the --events line, and the scale the window was drawn at.
// A window drawn at another scale than the views are laid out for has them
// laid out again, after this paint (which shows the old layout scaled).
void DesktopOutput::painted(const FamilyContent& content, int scale) {
  if (content.layout) drawn(host_->now(), content.widgetFamily(), *content.layout);
  if (!scale_.seen(&content, scale) || scaleIdle_) return;
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
