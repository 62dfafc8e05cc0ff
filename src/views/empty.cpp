#include "views/empty.hpp"

#include "views/header.hpp"
#include "views/palette.hpp"

namespace corvane {

Node Empty::body(const Environment& env) const {
  // Two equal spacers put the message midway between header and bottom edge.
  return VStack(HorizontalAlignment::leading, 6,
                {
                    compose(Header{"Corvane", std::nullopt}, env),
                    Spacer(),
                    Text::verbatim(text).font(Font::system(12)).foregroundStyle(cvSub()),
                    Spacer(),
                });
}

}  // namespace corvane
