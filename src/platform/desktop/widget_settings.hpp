#pragma once
// What a person set up on the desktop, kept between runs: which widgets,
// in order, in which sizes, and where each was dragged to. One small text
// file, $XDG_CONFIG_HOME/corvane-widget/widgets (else ~/.config/…), one
// line per widget: "FAMILY [X Y] [locked]" (logical pixels of the whole
// display; locked: a person pinned it there). Pure text and files, so it is tested without a display.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/placement.hpp"
#include "platform/desktop/settings_writer.hpp"

namespace corvane {

struct WidgetSetting {
  std::string family;         // "small", "medium", "large"
  std::optional<Rect> place;  // where a person dragged it (x, y), if they did
  bool locked = false;        // "Lock in place": not moved by a drag
  friend bool operator==(const WidgetSetting&, const WidgetSetting&) = default;
};

class WidgetSettings {
 public:
  // $XDG_CONFIG_HOME/corvane-widget, else ~/.config/corvane-widget.
  static std::string defaultFolder();

  explicit WidgetSettings(std::string folder);

  // Reads what was kept. A missing file keeps nothing (the places an older
  // version remembered, in `places`, still count). Each line is read on its
  // own: a line this version cannot read (damaged, or written by a newer
  // one) is said, skipped, and written back as it is by save(). A file that
  // cannot be read at all (too large, not a regular file) keeps nothing,
  // is said, and is never replaced. `families`: the names a widget can have.
  std::optional<std::string> load(const std::vector<std::string>& families);
  const std::vector<WidgetSetting>& widgets() const { return widgets_; }
  // The place kept for a widget of `family`, or the one an older version
  // remembered for it; and whether it is locked in place.
  std::optional<Rect> place(std::string_view family) const;
  bool locked(std::string_view family) const;
  // Keeps `widgets`, and the lines load() could not read after them:
  // written atomically and synced (through a symbolic link to its target),
  // its folder made if need be. Returns the reason when it cannot be written.
  std::optional<std::string> save(std::vector<WidgetSetting> widgets);
  // The same, written by `writer` off the main loop (the disk may be slow);
  // widgets() changes at once. Returns what is known at once to fail.
  std::optional<std::string> saveLater(std::vector<WidgetSetting> widgets, SettingsWriter& writer);

  std::string path() const;

  // The file's text, and what a text holds.
  static std::string format(const std::vector<WidgetSetting>& widgets, const std::vector<std::string>& unread = {});
  struct Parsed {
    std::vector<WidgetSetting> widgets;
    std::vector<std::string> unread;  // lines not read, as they stand (comments but the header too)
    std::string error;                // the first line not read and why; empty: every line was read
  };
  static Parsed parse(std::string_view text, const std::vector<std::string>& families);

 private:
  std::string folder_;
  std::vector<WidgetSetting> widgets_;
  std::vector<std::string> unread_;
  std::optional<std::string> unreadable_;  // why the file could not be read; it is then left alone
  RememberedPlaces older_;
};

}  // namespace corvane
