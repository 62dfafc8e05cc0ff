#include "views/dm_count.hpp"

#include "views/palette.hpp"

namespace corvane {

Node DmCount::body(const Environment&) const {
  // The same colours below, at and above the cap: no comparison is made.
  Child capText;
  if (cap)
    capText = Text::interpolated(Interpolation().literal("/").integer(*cap))
                  .font(Font::system(size, FontWeight::medium, FontDesign::monospaced))
                  .foregroundStyle(cvMuted());
  return HStack(VerticalAlignment::center, 0,
                {
                    Text::interpolated(Interpolation().integer(dms))
                        .font(Font::system(size, FontWeight::semibold, FontDesign::monospaced))
                        .foregroundStyle(cvInk()),
                    std::move(capText),
                });
}

}  // namespace corvane
