#include "views/account_row.hpp"

#include "views/dm_count.hpp"
#include "views/dot.hpp"
#include "views/palette.hpp"
#include "views/plan_grid.hpp"

namespace corvane {

Node AccountRow::body(const Environment& env) const {
  Node line = HStack(
      VerticalAlignment::center, 6,
      {
          compose(Dot{a.state}, env),
          Text::interpolated(Interpolation().literal("@").string(a.u))
              .font(Font::system(12.5, FontWeight::semibold))
              .foregroundStyle(cvInk())
              .lineLimit(1),
          Spacer(4),
          compose(DmCount{a.dms, a.cap, 12.5}, env),
          Text::key("DM").font(Font::system(10, FontWeight::medium, FontDesign::monospaced)).foregroundStyle(cvMuted()),
      });
  Node note = Text::verbatim(a.note)
                  .font(Font::system(10.5))
                  .foregroundStyle(a.state == "err" ? cvErr() : cvSub())
                  .padding(EdgeSet::leading(), kInset);
  Child plan;
  if (withPlan && !a.plan.empty())
    plan = compose(PlanGrid{a.plan}, env).padding(EdgeSet::leading(), kInset).padding(EdgeSet::top(), 1);
  return VStack(HorizontalAlignment::leading, 2, {std::move(line), std::move(note), std::move(plan)});
}

}  // namespace corvane
