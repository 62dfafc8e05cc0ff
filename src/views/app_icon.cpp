#include "views/app_icon.hpp"

#include "views/header.hpp"
#include "views/palette.hpp"

namespace corvane {

// NOLINTNEXTLINE(readability-convert-member-functions-to-static): a view's body is a member
Node AppIcon::body(const Environment&) const {
  return Group({Image(kBrandSymbol).font(Font::system(kSide * kSymbolShare)).foregroundStyle(cvBrand())})
      .containerBackground(cvBg(), ContainerBackgroundPlacement::widget);
}

WidgetCanvas appIconCanvas() {
  const WidgetCanvas small = canvasFor(WidgetFamily::systemSmall);
  WidgetCanvas canvas;
  canvas.width = canvas.height = AppIcon::kSide;
  canvas.margin = 0;
  canvas.cornerRadius = small.cornerRadius * AppIcon::kSide / small.width;
  return canvas;
}

}  // namespace corvane
