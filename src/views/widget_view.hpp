#pragma once
// The top-level view of one timeline entry: picks an empty state or a layout
// from the entry's data and the family the host is drawing, on the widget's
// background.

#include "platform/ui/tree/node.hpp"
#include "timeline/entry.hpp"

namespace corvane {

inline constexpr const char* kNoDataMessage = "Open Corvane once to fill this widget.";
inline constexpr const char* kNotConnectedMessage = "Open Corvane and connect this Mac.";
inline constexpr const char* kNoAccountsMessage = "No accounts yet. Add one in Corvane.";

struct WidgetView {
  static constexpr std::string_view name = "WidgetView";
  Entry entry;  // the family is read from the environment when drawn

  Node body(const Environment& env) const;
};

}  // namespace corvane
