#include "platform/desktop/placement.hpp"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/file_io.hpp"

namespace corvane {
namespace {

constexpr std::array<std::pair<Corner, std::string_view>, 4> kCorners{{
    {Corner::topLeft, "top-left"},
    {Corner::topRight, "top-right"},
    {Corner::bottomLeft, "bottom-left"},
    {Corner::bottomRight, "bottom-right"},
}};

std::string homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

double overlap(double a0, double a1, double b0, double b1) {
  return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

}  // namespace

std::optional<Corner> cornerFromName(std::string_view name) {
  for (const auto& [corner, n] : kCorners)
    if (n == name) return corner;
  return std::nullopt;
}

std::string_view cornerName(Corner corner) {
  for (const auto& [c, n] : kCorners)
    if (c == corner) return n;
  return "top-right";
}

bool isTop(Corner corner) { return corner == Corner::topLeft || corner == Corner::topRight; }
bool isLeft(Corner corner) { return corner == Corner::topLeft || corner == Corner::bottomLeft; }

Rect placeInCorner(const Rect& area, Size size, Corner corner, double margin, double offset) {
  double x = isLeft(corner) ? area.x + margin + offset : area.maxX() - margin - offset - size.width;
  double y = isTop(corner) ? area.y + margin : area.maxY() - margin - size.height;
  return {std::round(x), std::round(y), size.width, size.height};
}

bool reachableOn(const Rect& area, const Rect& frame) {
  return overlap(area.x, area.maxX(), frame.x, frame.maxX()) >= frame.width / 4 &&
         overlap(area.y, area.maxY(), frame.y, frame.maxY()) >= frame.height / 4;
}

Rect keptInside(const Rect& area, Rect frame) {
  frame.x = frame.width > area.width ? area.x : std::clamp(frame.x, area.x, area.maxX() - frame.width);
  frame.y = frame.height > area.height ? area.y : std::clamp(frame.y, area.y, area.maxY() - frame.height);
  return frame;
}

bool fitsIn(const Rect& area, Size size) { return size.width <= area.width && size.height <= area.height; }

Rect firstFreeSpot(const Rect& area, Size size, Corner corner, double margin, const std::vector<Rect>& taken) {
  // Worked out as if the corner were the top-left one: frames are mirrored
  // into that view and the spot found is mirrored back.
  const bool left = isLeft(corner), top = isTop(corner);
  const auto mirrored = [&](Rect r) {
    if (!left) r.x = area.x + area.maxX() - r.maxX();
    if (!top) r.y = area.y + area.maxY() - r.maxY();
    return r;
  };
  std::vector<Rect> others(taken.size());
  std::transform(taken.begin(), taken.end(), others.begin(), mirrored);
  std::vector<double> xs{area.x + margin}, ys{area.y + margin};
  for (const Rect& t : others) {
    xs.push_back(t.maxX() + margin);
    ys.push_back(t.maxY() + margin);
  }
  std::sort(xs.begin(), xs.end());
  std::sort(ys.begin(), ys.end());
  const auto free = [&](const Rect& r) {
    if (r.x < area.x || r.y < area.y || r.maxX() > area.maxX() || r.maxY() > area.maxY()) return false;
    // Kept `margin` apart: the frame grown by the margin (less a hair, so
    // that frames exactly a margin apart pass) meets no other frame.
    const double m = std::max(0.0, margin - 0.5);
    return std::ranges::none_of(others, [&](const Rect& t) {
      return overlap(r.x - m, r.maxX() + m, t.x, t.maxX()) > 0 && overlap(r.y - m, r.maxY() + m, t.y, t.maxY()) > 0;
    });
  };
  for (double y : ys)
    for (double x : xs)
      if (const Rect r{std::round(x), std::round(y), size.width, size.height}; free(r)) return mirrored(r);
  return keptInside(area, placeInCorner(area, size, corner, margin));
}

void DragMemory::pressed(double x, double y) { start_ = Rect{x, y, 0, 0}; }

std::optional<Rect> DragMemory::polled(bool buttonHeld, double x, double y) {
  if (!start_ || buttonHeld) return std::nullopt;
  const Rect start = *start_;
  start_.reset();
  if (start.x == x && start.y == y) return std::nullopt;
  return Rect{x, y, 0, 0};
}

std::string RememberedPlaces::defaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  std::filesystem::path base =
      config && *config == '/' ? std::filesystem::path(config) : std::filesystem::path(homeDirectory()) / ".config";
  return (base / kSettingsFolderName / kOlderPlacesFileName).string();
}

void RememberedPlaces::load() {
  FileRead read = readRegularFile(path_, kMaxSettingsBytes);
  places_ = read.bytes ? parse(*read.bytes) : decltype(places_){};
}

std::optional<Rect> RememberedPlaces::place(std::string_view family) const {
  auto it = places_.find(family);
  if (it == places_.end()) return std::nullopt;
  return Rect{it->second.first, it->second.second, 0, 0};
}

std::map<std::string, std::pair<double, double>, std::less<>> RememberedPlaces::parse(std::string_view text) {
  std::map<std::string, std::pair<double, double>, std::less<>> places;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string family, rest;
    double x = 0, y = 0;
    if (fields >> family >> x >> y && !(fields >> rest) && std::isfinite(x) && std::isfinite(y))
      places.insert_or_assign(family, std::pair{x, y});
  }
  return places;
}

}  // namespace corvane
