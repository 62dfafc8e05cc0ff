#include "platform/protocol/family.hpp"

#include <array>

namespace corvane {
namespace {

struct FamilyNames {
  WidgetFamily family;
  std::string_view name;
  std::string_view shortName;
};

constexpr std::array<FamilyNames, 7> kNames{{
    {WidgetFamily::systemSmall, "systemSmall", "small"},
    {WidgetFamily::systemMedium, "systemMedium", "medium"},
    {WidgetFamily::systemLarge, "systemLarge", "large"},
    {WidgetFamily::systemExtraLarge, "systemExtraLarge", "extraLarge"},
    {WidgetFamily::accessoryCircular, "accessoryCircular", "accessoryCircular"},
    {WidgetFamily::accessoryRectangular, "accessoryRectangular", "accessoryRectangular"},
    {WidgetFamily::accessoryInline, "accessoryInline", "accessoryInline"},
}};

constexpr std::array<WidgetFamily, 7> kAll{
    WidgetFamily::systemSmall,      WidgetFamily::systemMedium,      WidgetFamily::systemLarge,
    WidgetFamily::systemExtraLarge, WidgetFamily::accessoryCircular, WidgetFamily::accessoryRectangular,
    WidgetFamily::accessoryInline,
};

}  // namespace

std::string_view familyName(WidgetFamily family) { return kNames[static_cast<std::size_t>(family)].name; }

std::string_view familyShortName(WidgetFamily family) { return kNames[static_cast<std::size_t>(family)].shortName; }

std::optional<WidgetFamily> familyFromName(std::string_view name) {
  for (const auto& n : kNames)
    if (n.name == name || n.shortName == name) return n.family;
  return std::nullopt;
}

std::span<const WidgetFamily> allFamilies() { return kAll; }

}  // namespace corvane
