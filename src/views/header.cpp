#include "views/header.hpp"

#include "platform/ui/text/time_format.hpp"
#include "views/palette.hpp"

namespace corvane {

Node Header::body(const Environment& env) const {
  return HStack(VerticalAlignment::center, 5,
                {
                    Image(kBrandSymbol).font(Font::system(10, FontWeight::bold)).foregroundStyle(cvBrand()),
                    Text::verbatim(title)
                        .font(Font::system(10.5, FontWeight::semibold))
                        .textCase(TextCase::uppercase)
                        .foregroundStyle(cvSub())
                        .lineLimit(1),
                    Spacer(4),
                    at ? Child(compose(Updated{*at}, env)) : std::nullopt,
                });
}

Node Updated::body(const Environment& env) const {
  // Any double may arrive here; within the calendar's range the age is a
  // finite difference (NaN would be neither stale nor fresh).
  const Date d = Date::timeIntervalSince1970(at).inCalendarRange();
  const double age = env.now().inCalendarRange().timeIntervalSince(d);  // negative for a future time
  if (age > kStaleAfter) {
    auto stale = Interpolation().literal("not updated since ").string(formatShortTime(d, env.locale, env.timeZone));
    return Conditional(Branch::first,
                       Text::interpolated(stale).font(Font::system(9.5)).foregroundStyle(cvErr()).lineLimit(1));
  }
  return Conditional(Branch::second, Text::relative(d).font(Font::system(9.5)).foregroundStyle(cvMuted()).lineLimit(1));
}

}  // namespace corvane
