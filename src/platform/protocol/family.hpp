#pragma once
// The widget families (sizes) a host can offer, and their names.

#include <optional>
#include <span>
#include <string_view>

namespace corvane {

enum class WidgetFamily {
  systemSmall,
  systemMedium,
  systemLarge,
  systemExtraLarge,
  accessoryCircular,
  accessoryRectangular,
  accessoryInline,
};

// The host's name of a family ("systemSmall", ...).
std::string_view familyName(WidgetFamily family);
// The short name used on the command line ("small", "extraLarge", ...).
std::string_view familyShortName(WidgetFamily family);
// Accepts either the short or the host's name.
std::optional<WidgetFamily> familyFromName(std::string_view name);
std::span<const WidgetFamily> allFamilies();

}  // namespace corvane
