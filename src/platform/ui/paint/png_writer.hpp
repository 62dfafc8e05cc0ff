#pragma once
// PNG encoding of Cairo image surfaces with libpng, tuned for speed: widget
// images are flat colours and text, which the "up" filter and a low zlib
// level compress well, at a fraction of the time of libpng's defaults.

#include <cairo.h>

#include <string>

namespace corvane {

// The PNG bytes (8-bit RGBA, straight alpha) of an ARGB32 image surface.
std::string writePng(cairo_surface_t* image);

}  // namespace corvane
