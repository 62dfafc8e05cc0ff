#pragma once
// What a windowed run does with the host's layouts: each family in a window
// of its own (the registry), laid out at the scale the windows are drawn
// at (the scale choice), every event printed with --events; and what the
// windows' menus and clicks ask: open the application, another size,
// another widget, one widget fewer.

#include <glib.h>

#include <functional>

#include "app/run/host_events.hpp"
#include "app/run/window_options.hpp"
#include "app/window/window_registry.hpp"
#include "platform/desktop/app_launcher.hpp"
#include "platform/desktop/desktop_notice.hpp"
#include "platform/desktop/scale_choice.hpp"
#include "platform/host/widget_host.hpp"
#include "platform/process/host_process.hpp"

namespace corvane {

class DesktopOutput final : public EventPrintingListener {
 public:
  // `settings` (loaded) is kept current as a person changes the widgets.
  // `verdict`: why the snapshot file gave no data, for --events and for
  // the windows' accessible descriptions.
  DesktopOutput(const WindowRunOptions& options, const FontLibrary& fonts, HostProcess& process,
                WidgetSettings& settings, int startScale, std::shared_ptr<const SnapshotVerdict> verdict = nullptr);
  ~DesktopOutput() override;
  DesktopOutput(const DesktopOutput&) = delete;
  DesktopOutput& operator=(const DesktopOutput&) = delete;

  // The host that feeds the windows; before open().
  void attach(WidgetHost& host) { host_ = &host; }
  // Opens the window of `family` (shown once its first layout is drawn), or
  // shows the open one again.
  void open(WidgetFamily family, bool byPerson = false);
  // Offers, in the menu, to turn the Shell's extension on with `turnOn`.
  void offerShellExtension(std::function<void()> turnOn) { shellExtension_ = std::move(turnOn); }
  // The families shown now.
  std::vector<std::string> families() const { return windows_.families(); }

  void layoutReplaced(WidgetFamily family, const LiveLayout& layout) override;
  void layoutChanged(WidgetFamily family, const LiveLayout& layout, Rect damage) override;
  void layoutRemoved(WidgetFamily family) override;

 private:
  WindowActions actionsFor(WindowRegistry::Shown& shown);
  void painted(const FamilyContent& content, int scale);
  void showInstead(WindowRegistry::Shown& shown, WidgetFamily to);
  void add(WidgetFamily family);
  void remove(WindowRegistry::Shown& shown);
  void openApplication(guint32 time);
  void noteVerdict(WindowRegistry::Shown& shown);

  HostProcess& process_;
  WidgetHost* host_ = nullptr;
  WindowRegistry windows_;
  ScaleChoice scale_;
  AppLauncher application_;
  DesktopNotice notice_;  // what a click could not open, told to the person
  std::function<void()> shellExtension_;
  guint scaleIdle_ = 0;
  guint removeIdle_ = 0;
  WindowRegistry::Shown* removing_ = nullptr;  // closed at the next idle, out of its own menu
};

}  // namespace corvane
