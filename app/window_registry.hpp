#pragma once
// The windows of a windowed run, one per family shown, in the order they
// were opened: opening one (placed after those already along the edge, or
// where a person dragged it before), showing another family in a window
// (the menu's Size), closing one, and what all that leaves to keep — which
// widgets, in which sizes, where — written for the next run.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/placement.hpp"
#include "platform/desktop/widget_settings.hpp"
#include "platform/desktop/widget_window.hpp"
#include "platform/ui/paint/live_view.hpp"

namespace corvane {

// A family's live view as a window shows it. GTK clips each paint to the
// region that changed, so a ticking text repaints only its own pixels.
class LivePicture final : public WindowContent {
 public:
  // `painted` is told of every paint, with the family shown then.
  using Painted = std::function<void(const LivePicture&, int scale)>;
  LivePicture(WidgetFamily family, const FontLibrary& fonts, Painted painted)
      : family_(family), fonts_(fonts), painted_(std::move(painted)) {}

  const LiveView* view = nullptr;  // none until the host has drawn the family

  WidgetFamily widgetFamily() const { return family_; }
  void setFamily(WidgetFamily f) { family_ = f; }

  Size size() const override;
  double cornerRadius() const override;
  std::string_view family() const override;
  void paint(cairo_t* cr, int scale) override;
  std::string description() const override;

 private:
  WidgetFamily family_;
  const FontLibrary& fonts_;
  Painted painted_;
};

class WindowRegistry {
 public:
  struct Shown {
    std::unique_ptr<LivePicture> picture;
    std::unique_ptr<WidgetWindow> window;
    std::optional<Rect> dragged;  // where a person put it, if they did
  };
  // What a new window's menu, clicks and drags do, given the window they come from.
  using ActionsFor = std::function<WindowActions(Shown&)>;

  // `settings` must be loaded; the registry keeps it current.
  WindowRegistry(WindowPlacement first, WidgetSettings& settings, const FontLibrary& fonts,
                 LivePicture::Painted painted, ActionsFor actions);

  // The window of `family`, if one is open.
  Shown* find(WidgetFamily family);
  // Opens a window for `family` (not shown until its picture is drawn).
  // Only what a person does with the windows is kept for the next run:
  // `byPerson` says whether this is (the menu's Add widget).
  Shown& open(WidgetFamily family, bool byPerson = false);
  // `shown` shows `to` from now on, unless a window of `to` is open.
  bool showInstead(Shown& shown, WidgetFamily to);
  // A person dragged `shown` to (x, y).
  void dragged(Shown& shown, double x, double y);
  // Closes `shown`'s window. The last one is not forgotten: the next run
  // shows it again.
  void close(Shown& shown);
  bool empty() const { return windows_.empty(); }
  // The families of the open windows, in the order they were opened.
  std::vector<std::string> families() const;

 private:
  // What is open now becomes what the next run shows.
  void keep();

  WindowPlacement first_;
  double nextOffset_ = 0;  // along the edge, past the windows opened so far
  WidgetSettings& settings_;
  bool keepErrorReported_ = false;
  const FontLibrary& fonts_;
  LivePicture::Painted painted_;
  ActionsFor actions_;
  std::vector<std::unique_ptr<Shown>> windows_;  // entries stay where they are made
  // Last: it writes what is still pending before the rest goes.
  SettingsWriter writer_;
};

}  // namespace corvane
