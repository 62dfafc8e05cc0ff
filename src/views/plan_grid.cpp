#include "views/plan_grid.hpp"

#include "views/identity.hpp"
#include "views/palette.hpp"

namespace corvane {
namespace {

struct CellColors {
  const Color& label;
  const Color& value;
};

CellColors colorsFor(const std::string& state) {
  if (state == "full") return {cvOk(), cvOk()};
  if (state == "off") return {cvMuted(), cvMuted()};
  if (state == "zero") return {cvSub(), cvMuted()};
  return {cvSub(), cvInk()};
}

Node cell(const PlanCell& c) {
  CellColors colors = colorsFor(c.s);
  return HStack(VerticalAlignment::center, 3,
                {
                    Text::verbatim(c.n).font(Font::system(10)).foregroundStyle(colors.label).lineLimit(1),
                    Spacer(2),
                    Text::verbatim(c.v)
                        .font(Font::system(10, FontWeight::semibold, FontDesign::monospaced))
                        .foregroundStyle(colors.value),
                });
}

}  // namespace

Node PlanGrid::body(const Environment&) const {
  const GridItem column{10, kInfinity, 10, std::nullopt};
  // Cells are made when the grid asks for them: a plan of a hundred thousand
  // cells makes only those of the rows a canvas can show.
  auto element = [cells = plan](std::size_t i) {
    const PlanCell& c = cells[i];
    return ForEachElement{ElementId([cells, i] { return identityOf(cells[i]); }), {cell(c)}};
  };
  return LazyVGrid({column, column, column}, HorizontalAlignment::leading, 2, {ForEach(plan.size(), element)});
}

}  // namespace corvane
