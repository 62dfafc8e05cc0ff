#pragma once
// The windows of a windowed run, by the family each shows: opening one
// (placed after those already along the edge, or where a person dragged it
// before), showing another family in a window (the menu's Size), and where
// each was dragged to, remembered between runs.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/desktop/placement.hpp"
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
  };
  // What a new window's menu and drags do, given the window they come from.
  using ActionsFor = std::function<WindowActions(Shown&)>;

  WindowRegistry(WindowPlacement first, std::string placesFile, const FontLibrary& fonts, LivePicture::Painted painted,
                 ActionsFor actions);

  // The window of `family`, if one is open.
  Shown* find(WidgetFamily family);
  // Opens a window for `family` (not shown until its picture is drawn).
  Shown& open(WidgetFamily family);
  // `shown` shows `to` from now on, unless a window of `to` is open.
  bool showInstead(Shown& shown, WidgetFamily to);
  // A person dragged `shown` to (x, y): remembered for its family.
  void dragged(const Shown& shown, double x, double y);

  template <class Visit>
  void forEach(Visit visit) {
    for (auto& [family, shown] : windows_) visit(family, *shown);
  }

 private:
  WindowPlacement first_;
  double nextOffset_ = 0;  // along the edge, past the windows opened so far
  RememberedPlaces places_;
  bool placeErrorReported_ = false;
  const FontLibrary& fonts_;
  LivePicture::Painted painted_;
  ActionsFor actions_;
  std::map<WidgetFamily, std::unique_ptr<Shown>> windows_;  // entries stay where they are made
};

}  // namespace corvane
