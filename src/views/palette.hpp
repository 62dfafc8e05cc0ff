#pragma once
// The widget's eleven named colours, all opaque sRGB. Each is built once, on
// first use, and then never changes.

#include "platform/ui/tree/color.hpp"

namespace corvane {

const Color& cvBg();      // 0F0F14 background behind every layout
const Color& cvInk();     // F4F4F8 primary figures and names
const Color& cvSub();     // B9BCCB secondary text
const Color& cvMuted();   // 8E91A4 quiet text
const Color& cvOk();      // 6EE7B7 full plan cells
const Color& cvErr();     // FDA4AF error text
const Color& cvRep();     // F9A8C5 replies count
const Color& cvBrand();   // E11D63 header icon
const Color& cvRun();     // 34D399 dot of a running account
const Color& cvIdle();    // 9CA3AF dot of any other account
const Color& cvErrDot();  // FB7185 dot of an account in error

}  // namespace corvane
