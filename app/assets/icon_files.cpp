#include "app/assets/icon_files.hpp"

#include <stdexcept>

#include "platform/ui/paint/render.hpp"
#include "views/app_icon.hpp"

namespace corvane {
namespace {

std::string renderIcon(ImageFormat format, double scale) {
  Environment env;
  env.displayScale = scale;
  const Node tree = compose(AppIcon{}, env);
  const FontLibrary fonts;  // the icon has no text; the painter takes one
  return renderWidget(tree, env, appIconCanvas(), format, fonts);
}

}  // namespace

std::string appIconPng(int pixels) {
  if (pixels <= 0) throw std::invalid_argument("an icon of " + std::to_string(pixels) + " pixels");
  return renderIcon(ImageFormat::png, pixels / appIconCanvas().width);
}

std::string appIconSvg() { return renderIcon(ImageFormat::svg, 1); }

}  // namespace corvane
