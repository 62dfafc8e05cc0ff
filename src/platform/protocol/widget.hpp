#pragma once
// The widget declaration the host registers: kind, names, families, the
// provider that answers timeline requests and the content function that turns
// each entry into a view.

#include <string>
#include <utility>
#include <vector>

#include "platform/protocol/family.hpp"
#include "platform/protocol/timeline.hpp"

namespace corvane {

template <TimelineProvider P, class Content>
struct StaticConfiguration {
  using EntryType = typename P::EntryType;

  std::string kind;
  P provider;
  Content content;
  std::string displayName;
  std::string descriptionText;
  std::vector<WidgetFamily> families;

  StaticConfiguration(std::string k, P p, Content c)
      : kind(std::move(k)), provider(std::move(p)), content(std::move(c)) {}

  StaticConfiguration configurationDisplayName(const std::string& name) const {
    auto copy = *this;
    copy.displayName = name;
    return copy;
  }
  StaticConfiguration description(const std::string& text) const {
    auto copy = *this;
    copy.descriptionText = text;
    return copy;
  }
  StaticConfiguration supportedFamilies(const std::vector<WidgetFamily>& list) const {
    auto copy = *this;
    copy.families = list;
    return copy;
  }
};

}  // namespace corvane
