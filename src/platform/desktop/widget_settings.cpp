#include "platform/desktop/widget_settings.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>

#include "support/file_io.hpp"

namespace corvane {
namespace {

constexpr char kFileName[] = "widgets";
constexpr char kHeader[] = "# The Corvane today widgets on this desktop, one per line: FAMILY [X Y]\n";

}  // namespace

std::string WidgetSettings::defaultFolder() {
  return std::filesystem::path(RememberedPlaces::defaultPath()).parent_path().string();
}

WidgetSettings::WidgetSettings(std::string folder)
    : folder_(std::move(folder)), older_((std::filesystem::path(folder_) / "places").string()) {}

std::string WidgetSettings::path() const { return (std::filesystem::path(folder_) / kFileName).string(); }

std::optional<std::string> WidgetSettings::load(const std::vector<std::string>& families) {
  widgets_.clear();
  older_.load();
  removeStaleTemporaries(path());  // left by a process that ended while writing
  FileRead read = readRegularFile(path());
  if (!read.bytes) return std::nullopt;  // nothing kept yet
  Parsed parsed = parse(*read.bytes, families);
  if (!parsed.error.empty()) return parsed.error;
  widgets_ = std::move(parsed.widgets);
  return std::nullopt;
}

std::optional<Rect> WidgetSettings::place(std::string_view family) const {
  for (const WidgetSetting& w : widgets_)
    if (w.family == family) return w.place;
  return older_.place(family);
}

std::optional<std::string> WidgetSettings::save(std::vector<WidgetSetting> widgets) {
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (ec) return ec.message();
  // Synced: what a person set up must not come back empty after a crash.
  if (auto error = writeFileAtomically(path(), format(widgets), Durability::synced)) return error;
  widgets_ = std::move(widgets);
  return std::nullopt;
}

std::string WidgetSettings::format(const std::vector<WidgetSetting>& widgets) {
  std::ostringstream out;
  // Enough digits that every place reads back exactly.
  out.precision(std::numeric_limits<double>::max_digits10);
  out << kHeader;
  for (const WidgetSetting& w : widgets) {
    out << w.family;
    if (w.place) out << ' ' << w.place->x << ' ' << w.place->y;
    out << '\n';
  }
  return out.str();
}

WidgetSettings::Parsed WidgetSettings::parse(std::string_view text, const std::vector<std::string>& families) {
  Parsed parsed;
  std::istringstream in{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string family, rest;
    fields >> family;
    auto fail = [&](const std::string& why) {
      parsed.widgets.clear();
      parsed.error = "line " + std::to_string(number) + ": " + why;
      return parsed;
    };
    if (std::find(families.begin(), families.end(), family) == families.end())
      return fail("no widget is called \"" + family + "\"");
    for (const WidgetSetting& w : parsed.widgets)
      if (w.family == family) return fail("a second " + family + " widget");
    WidgetSetting widget{family, std::nullopt};
    double x = 0, y = 0;
    if (fields >> x) {
      if (!(fields >> y) || !std::isfinite(x) || !std::isfinite(y)) return fail("a place is two finite numbers");
      widget.place = Rect{x, y, 0, 0};
    } else if (!fields.eof()) {
      return fail("a place is two finite numbers");
    }
    if (fields >> rest) return fail("more than a family and a place");
    parsed.widgets.push_back(std::move(widget));
  }
  return parsed;
}

}  // namespace corvane
