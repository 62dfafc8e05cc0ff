#pragma once
// The application's icon (views/app_icon.hpp) drawn by the widget's own
// painter, as the files an icon theme holds.

#include <string>

namespace corvane {

// A PNG of `pixels` × `pixels`.
std::string appIconPng(int pixels);
// An SVG of the icon's square, in points.
std::string appIconSvg();

}  // namespace corvane
