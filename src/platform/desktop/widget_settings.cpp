#include "platform/desktop/widget_settings.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>

#include "support/file_io.hpp"

namespace corvane {
namespace {

constexpr std::string_view kHeader = "# The Corvane today widgets on this desktop, one per line: FAMILY [X Y] [locked]";
// The header an older version wrote: replaced by the current one.
constexpr std::string_view kOlderHeader = "# The Corvane today widgets on this desktop, one per line: FAMILY [X Y]";
constexpr std::string_view kLocked = "locked";

// A piece of a damaged line as it can be shown on a terminal: control
// characters and bytes outside ASCII as \xNN, and at most 40 of them.
std::string shownAsText(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c >= 0x7f || c == '\\') {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > kShown) out += "...";
  return out;
}

}  // namespace

std::string WidgetSettings::defaultFolder() {
  return std::filesystem::path(RememberedPlaces::defaultPath()).parent_path().string();
}

WidgetSettings::WidgetSettings(std::string folder)
    : folder_(std::move(folder)), older_((std::filesystem::path(folder_) / kOlderPlacesFileName).string()) {}

std::string WidgetSettings::path() const { return (std::filesystem::path(folder_) / kWidgetsFileName).string(); }

std::optional<std::string> WidgetSettings::load(const std::vector<std::string>& families) {
  widgets_.clear();
  older_.load();
  unread_.clear();
  unreadable_.reset();
  removeStaleTemporaries(writeTarget(path()));  // left by a process that ended while writing
  FileRead read = readRegularFile(path(), kMaxSettingsBytes);
  if (!read.bytes) {
    // Nothing kept yet: no file, or a link to one not made yet (made there).
    struct stat st {};
    if (::stat(path().c_str(), &st) != 0 && errno == ENOENT) return std::nullopt;
    unreadable_ = read.reason;
    return read.reason + "; nothing kept there is used, and the file is left as it is";
  }
  Parsed parsed = parse(*read.bytes, families);
  widgets_ = std::move(parsed.widgets);
  unread_ = std::move(parsed.unread);
  if (parsed.error.empty()) return std::nullopt;
  return parsed.error + "; such lines are skipped and kept in the file as they are";
}

std::optional<Rect> WidgetSettings::place(std::string_view family) const {
  for (const WidgetSetting& w : widgets_)
    if (w.family == family) return w.place;
  return older_.place(family);
}

bool WidgetSettings::locked(std::string_view family) const {
  for (const WidgetSetting& w : widgets_)
    if (w.family == family) return w.locked;
  return false;
}

std::optional<std::string> WidgetSettings::save(std::vector<WidgetSetting> widgets) {
  if (unreadable_) return "not replaced, since it could not be read (" + *unreadable_ + ")";
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (ec) return ec.message();
  // Synced: what a person set up must not come back empty after a crash.
  if (auto error = writeFileAtomically(path(), format(widgets, unread_), Durability::synced)) return error;
  widgets_ = std::move(widgets);
  return std::nullopt;
}

std::optional<std::string> WidgetSettings::saveLater(std::vector<WidgetSetting> widgets, SettingsWriter& writer) {
  if (unreadable_) return "not replaced, since it could not be read (" + *unreadable_ + ")";
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (ec) return ec.message();
  writer.write(path(), format(widgets, unread_));
  widgets_ = std::move(widgets);
  return std::nullopt;
}

std::string WidgetSettings::format(const std::vector<WidgetSetting>& widgets, const std::vector<std::string>& unread) {
  std::ostringstream out;
  // Enough digits that every place reads back exactly.
  out.precision(std::numeric_limits<double>::max_digits10);
  out << kHeader << '\n';
  for (const WidgetSetting& w : widgets) {
    out << w.family;
    if (w.place) out << ' ' << w.place->x << ' ' << w.place->y;
    if (w.locked) out << ' ' << kLocked;
    out << '\n';
  }
  for (const std::string& line : unread) out << line << '\n';
  return out.str();
}

WidgetSettings::Parsed WidgetSettings::parse(std::string_view text, const std::vector<std::string>& families) {
  Parsed parsed;
  std::istringstream in{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line == kHeader || line == kOlderHeader)
      continue;  // blank, or the header written again on save
    if (line[first] == '#') {
      parsed.unread.push_back(line);  // a person's comment stays
      continue;
    }
    std::istringstream fields(line);
    std::string family;
    fields >> family;
    auto skip = [&](const std::string& why) {
      if (parsed.error.empty()) parsed.error = "line " + std::to_string(number) + ": " + why;
      parsed.unread.push_back(line);
    };
    if (std::find(families.begin(), families.end(), family) == families.end()) {
      skip("no widget is called \"" + shownAsText(family) + "\"");
      continue;
    }
    if (std::any_of(parsed.widgets.begin(), parsed.widgets.end(),
                    [&](const WidgetSetting& w) { return w.family == family; })) {
      skip("a second " + family + " widget");
      continue;
    }
    WidgetSetting widget{family, std::nullopt, false};
    std::vector<std::string> words;
    for (std::string w; fields >> w;) words.push_back(w);
    if (!words.empty() && words.back() == kLocked) {
      widget.locked = true;
      words.pop_back();
    }
    if (words.size() == 2) {
      double x = 0, y = 0;
      std::istringstream xs(words[0]), ys(words[1]);
      if (!(xs >> x) || !xs.eof() || !(ys >> y) || !ys.eof() || !std::isfinite(x) || !std::isfinite(y)) {
        skip("a place is two finite numbers");
        continue;
      }
      widget.place = Rect{x, y, 0, 0};
    } else if (words.size() == 1) {
      skip("a place is two finite numbers");
      continue;
    } else if (words.size() > 2) {
      skip("more than a family, a place and \"locked\"");
      continue;
    }
    parsed.widgets.push_back(std::move(widget));
  }
  return parsed;
}

}  // namespace corvane
