#pragma once
// The one widget the extension offers, and the bundle through which the host
// starts the extension.

#include <vector>

#include "platform/protocol/widget.hpp"
#include "timeline/provider.hpp"
#include "views/widget_view.hpp"

namespace corvane {

// The content function: each entry becomes a WidgetView; the family is read
// from the host's environment when the view is drawn, not from the entry.
struct TodayContent {
  WidgetView operator()(const Entry& entry) const { return WidgetView{entry}; }
};

using TodayConfiguration = StaticConfiguration<Provider, TodayContent>;

struct TodayWidget {
  static constexpr const char* kKind = "com.corvane.desktop.today";
  static constexpr const char* kDisplayName = "Corvane today";
  static constexpr const char* kDescription = "Today's DMs, replies and each account's plan.";

  // Members, not static (here and below): the host asks an instance for its body.
  TodayConfiguration body() const;  // NOLINT(readability-convert-member-functions-to-static)
};

struct CorvaneWidgets {
  // Exactly one widget.
  // NOLINTNEXTLINE(readability-convert-member-functions-to-static)
  std::vector<TodayWidget> body() const { return {TodayWidget{}}; }

  // The host's entry for this bundle: the stand-in host takes over the
  // process and returns its exit status.
  static int main(int argc, char** argv);
};

}  // namespace corvane
