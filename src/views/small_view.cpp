#include "views/small_view.hpp"

#include "views/header.hpp"
#include "views/palette.hpp"

namespace corvane {
namespace {

Node countLine(const Snapshot& d) {
  Child cap;
  if (d.cap)
    cap = Text::interpolated(Interpolation().literal("/").integer(*d.cap))
              .font(Font::system(14, FontWeight::medium, FontDesign::monospaced))
              .foregroundStyle(cvMuted());
  return HStack(VerticalAlignment::firstTextBaseline, 2,
                {
                    Text::interpolated(Interpolation().integer(d.dms))
                        .font(Font::system(38, FontWeight::bold))
                        .foregroundStyle(cvInk()),
                    std::move(cap),
                });
}

Node activityLine(const Snapshot& d) {
  auto replies = Interpolation().integer(d.replies).literal(" repl").string(d.replies == 1 ? "y" : "ies");
  Child needs;
  if (d.needs > 0)
    needs = Text::interpolated(
                Interpolation().integer(d.needs).literal(" need").string(d.needs == 1 ? "s" : "").literal(" you"))
                .font(Font::system(11, FontWeight::semibold))
                .foregroundStyle(cvErr());
  return HStack(VerticalAlignment::center, 8,
                {
                    Text::interpolated(replies).font(Font::system(11, FontWeight::semibold)).foregroundStyle(cvRep()),
                    std::move(needs),
                })
      .lineLimit(1);
}

}  // namespace

Node SmallView::body(const Environment& env) const {
  return VStack(HorizontalAlignment::leading, 2,
                {
                    compose(Header{"Today", std::nullopt}, env),
                    Spacer(4),
                    countLine(d),
                    Text::key("DMs sent").font(Font::system(11.5)).foregroundStyle(cvSub()),
                    Spacer(4),
                    activityLine(d),
                    compose(Updated{d.at}, env),
                });
}

}  // namespace corvane
