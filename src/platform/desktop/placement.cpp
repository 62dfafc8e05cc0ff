#include "platform/desktop/placement.hpp"

#include <pwd.h>
#include <unistd.h>

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
