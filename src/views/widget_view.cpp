#include "views/widget_view.hpp"

#include "views/empty.hpp"
#include "views/list_view.hpp"
#include "views/palette.hpp"
#include "views/small_view.hpp"

namespace corvane {
namespace {

// Each of the six outcomes has its own place in a nest of two-way choices, so
// moving between outcomes replaces the content instead of updating it.
Node emptyStates(const Snapshot& d, const Environment& env) {
  if (!d.connected) return Conditional(Branch::first, compose(Empty{kNotConnectedMessage}, env));
  return Conditional(Branch::second, compose(Empty{kNoAccountsMessage}, env));
}

Node familyLayouts(const Snapshot& d, const Environment& env) {
  switch (env.widgetFamily) {
    case WidgetFamily::systemSmall:
      return Conditional(Branch::first, Conditional(Branch::first, compose(SmallView{d}, env)));
    case WidgetFamily::systemMedium:
      return Conditional(Branch::first, Conditional(Branch::second, compose(ListView{d, "Corvane", 3, false}, env)));
    default: return Conditional(Branch::second, compose(ListView{d, "Today's plan", 4, true}, env));
  }
}

}  // namespace

Node WidgetView::body(const Environment& env) const {
  Node content;
  if (!entry.data) {
    content = Conditional(Branch::second, compose(Empty{kNoDataMessage}, env));
  } else {
    const Snapshot& d = *entry.data;
    bool empty = !d.connected || d.accounts.empty();  // the connection test comes first
    content = Conditional(Branch::first, empty ? Conditional(Branch::first, emptyStates(d, env))
                                               : Conditional(Branch::second, familyLayouts(d, env)));
  }
  return Group({std::move(content)}).containerBackground(cvBg(), ContainerBackgroundPlacement::widget);
}

}  // namespace corvane
