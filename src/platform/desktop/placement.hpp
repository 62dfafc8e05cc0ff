#pragma once
// Where a widget window sits on its monitor: a corner and a margin, or the
// place a person dragged it to, remembered between starts. Pure arithmetic and
// text, so it is tested without a display.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/layout/geometry.hpp"

namespace corvane {

// The most a file of kept places or widgets may hold: a few lines are
// expected; a larger file is damaged and is not read.
inline constexpr std::size_t kMaxSettingsBytes = std::size_t(64) << 10;

// The names of the settings folder in $XDG_CONFIG_HOME and of the files in
// it: the kept widgets, and the places an older version remembered.
inline constexpr char kSettingsFolderName[] = "corvane-widget";
inline constexpr char kWidgetsFileName[] = "widgets";
inline constexpr char kOlderPlacesFileName[] = "places";

enum class Corner { topLeft, topRight, bottomLeft, bottomRight };

// "top-left", "top-right", "bottom-left", "bottom-right".
std::optional<Corner> cornerFromName(std::string_view name);
std::string_view cornerName(Corner corner);
bool isTop(Corner corner);
bool isLeft(Corner corner);

// The frame of a window of `size` put in `corner` of `area` (a monitor's
// work area, in the display's logical pixels) with `margin` on the two edges
// that meet there, moved `offset` along the top or bottom edge away from the
// corner (for the next of several widgets).
Rect placeInCorner(const Rect& area, Size size, Corner corner, double margin, double offset = 0);

// Whether a window at `frame` still shows on `area` enough to be grabbed
// again (at least a quarter of it on each axis).
bool reachableOn(const Rect& area, const Rect& frame);

// `frame` moved as little as it takes to lie inside `area`. On an axis where
// it is larger than the area, its top or left edge is put at the area's, so
// that its top-left corner (where a person grabs it) shows.
Rect keptInside(const Rect& area, Rect frame);
bool fitsIn(const Rect& area, Size size);

// Where a new widget of `size` goes: the first spot, starting at `corner`
// with `margin` on its two edges, that lies inside `area` and keeps
// `margin` away from every frame in `taken` (the widgets already there).
// Spots are tried along the corner's top or bottom edge first, then in
// rows further in, each next to a taken frame. When there is none, the
// corner itself, kept inside the area.
Rect firstFreeSpot(const Rect& area, Size size, Corner corner, double margin, const std::vector<Rect>& taken);

// Where one window goes.
struct WindowPlacement {
  Corner corner = Corner::topRight;
  double margin = 24;           // points
  double offset = 0;            // a layer surface: points along the edge, past the widgets before it
  std::optional<int> monitor;   // index; none or gone: the primary monitor
  std::optional<Rect> dragged;  // a remembered place (x, y), which wins when reachable
};

// What a drag leaves to remember: the place where the person let go, if
// the window moved while the button was held. A click that moves nothing,
// a pause with the button held, and the moves the window makes by itself
// (a work area or monitor change, a new size) leave nothing. The window
// manager moves the window and keeps the pointer to itself meanwhile, so
// the button is polled rather than heard.
class DragMemory {
 public:
  // The left button went down on the window, which stands at (x, y).
  void pressed(double x, double y);
  // A poll while a drag is under way: whether the button is still held and
  // where the window is. When the button is up, the drag is over: returns
  // the place to remember, if the window moved.
  std::optional<Rect> polled(bool buttonHeld, double x, double y);
  bool dragging() const { return start_.has_value(); }

 private:
  std::optional<Rect> start_;
};

// The places an older version of the widget remembered, by family name, in
// $XDG_CONFIG_HOME/corvane-widget/places: one "family x y" line each
// (logical pixels of the whole display). Read only: what a person sets up
// is kept in WidgetSettings now, and these places still count until then.
class RememberedPlaces {
 public:
  // $XDG_CONFIG_HOME/corvane-widget/places, else ~/.config/corvane-widget/places.
  static std::string defaultPath();

  explicit RememberedPlaces(std::string path) : path_(std::move(path)) {}

  // Reads the file; a missing or malformed file (or line) remembers nothing.
  void load();
  std::optional<Rect> place(std::string_view family) const;

  // The places a text holds: malformed lines are skipped, the last line of
  // a family wins.
  static std::map<std::string, std::pair<double, double>, std::less<>> parse(std::string_view text);

 private:
  std::string path_;
  std::map<std::string, std::pair<double, double>, std::less<>> places_;
};

}  // namespace corvane
