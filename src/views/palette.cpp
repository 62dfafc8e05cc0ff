#include "views/palette.hpp"

namespace corvane {

// Function-local statics: built once on first use, and concurrent first
// readers wait for that one build.
#define CORVANE_PALETTE_COLOR(name, rrggbb)                     \
  const Color& name() {                                         \
    static const Color color = Color::hex(rrggbb).named(#name); \
    return color;                                               \
  }

CORVANE_PALETTE_COLOR(cvBg, 0x0F0F14)
CORVANE_PALETTE_COLOR(cvInk, 0xF4F4F8)
CORVANE_PALETTE_COLOR(cvSub, 0xB9BCCB)
CORVANE_PALETTE_COLOR(cvMuted, 0x8E91A4)
CORVANE_PALETTE_COLOR(cvOk, 0x6EE7B7)
CORVANE_PALETTE_COLOR(cvErr, 0xFDA4AF)
CORVANE_PALETTE_COLOR(cvRep, 0xF9A8C5)
CORVANE_PALETTE_COLOR(cvBrand, 0xE11D63)
CORVANE_PALETTE_COLOR(cvRun, 0x34D399)
CORVANE_PALETTE_COLOR(cvIdle, 0x9CA3AF)
CORVANE_PALETTE_COLOR(cvErrDot, 0xFB7185)

#undef CORVANE_PALETTE_COLOR

}  // namespace corvane
