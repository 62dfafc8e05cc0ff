#pragma once
// The windows of a windowed run, one per family shown, in the order they
// were opened: opening one (where a person dragged it before, else in the
// first free spot from the corner, clear of the widgets opened before it
// and of every dragged one), showing another family in a window (the
// menu's Size, after which the others are spaced again), moving one back to
// the corner, locking one in place, closing one, and what all that leaves
// to keep — which widgets, in which sizes, where, locked or not — written
// for the next run.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/family_content.hpp"
#include "platform/desktop/placement.hpp"
#include "platform/desktop/widget_settings.hpp"
#include "platform/desktop/widget_window.hpp"

namespace corvane {

class WindowRegistry {
 public:
  struct Shown {
    std::unique_ptr<FamilyContent> content;
    std::unique_ptr<WidgetWindow> window;
    std::optional<Rect> dragged;  // where a person put it, if they did
    bool locked = false;          // Lock in place
    // A kept place the command line's placement overrode for this run: kept
    // for the next run unless the person moves the widget.
    std::optional<Rect> keptAside;
  };
  // What a new window's menu, clicks and drags do, given the window they come from.
  using ActionsFor = std::function<WindowActions(Shown&)>;

  // `settings` must be loaded; the registry keeps it current. The families
  // in `placeGiven` were placed on the command line: a kept place does not
  // count for them.
  WindowRegistry(WindowPlacement first, WidgetSettings& settings, const FontLibrary& fonts,
                 FamilyContent::Painted painted, ActionsFor actions, std::vector<std::string> placeGiven = {});

  // The window of `family`, if one is open.
  Shown* find(WidgetFamily family);
  // Opens a window for `family` (not shown until its content is drawn).
  // Only what a person does with the windows is kept for the next run:
  // `byPerson` says whether this is (the menu's Add widget, another run).
  Shown& open(WidgetFamily family, bool byPerson = false);
  // `shown` shows `to` from now on, unless a window of `to` is open.
  bool showInstead(Shown& shown, WidgetFamily to);
  // A person dragged `shown` to (x, y).
  void dragged(Shown& shown, double x, double y);
  // The menu's Move to corner and Lock in place.
  void toCorner(Shown& shown);
  void lock(Shown& shown, bool locked);
  // Closes `shown`'s window. The last one is not forgotten: the next run
  // shows it again.
  void close(Shown& shown);
  bool empty() const { return windows_.empty(); }
  // The families of the open windows, in the order they were opened.
  std::vector<std::string> families() const;

 private:
  // What is open now becomes what the next run shows.
  void keep();
  // The frames `shown` keeps clear of: the dragged widgets', and those of
  // the widgets opened before it.
  std::vector<Rect> takenFor(const Shown& shown) const;
  // Every widget placed again, in the order opened.
  void respace();

  WindowPlacement first_;
  std::vector<std::string> placeGiven_;
  WidgetSettings& settings_;
  bool keepErrorReported_ = false;
  const FontLibrary& fonts_;
  FamilyContent::Painted painted_;
  ActionsFor actions_;
  std::vector<std::unique_ptr<Shown>> windows_;  // entries stay where they are made
  // Last: it writes what is still pending before the rest goes.
  SettingsWriter writer_;
};

}  // namespace corvane
