#pragma once
// Owning pointers for the C handles of Cairo, Pango, GLib and fontconfig, so
// every handle is released by its owner and never by hand.

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace corvane {

struct GObjectUnref {
  void operator()(gpointer p) const noexcept { g_object_unref(p); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct CairoDestroy {
  void operator()(cairo_t* c) const noexcept { cairo_destroy(c); }
  void operator()(cairo_surface_t* s) const noexcept { cairo_surface_destroy(s); }
  void operator()(cairo_font_options_t* o) const noexcept { cairo_font_options_destroy(o); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDestroy>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoDestroy>;
using CairoFontOptionsPtr = std::unique_ptr<cairo_font_options_t, CairoDestroy>;

struct PangoFontDescriptionFree {
  void operator()(PangoFontDescription* d) const noexcept { pango_font_description_free(d); }
};
using PangoFontDescriptionPtr = std::unique_ptr<PangoFontDescription, PangoFontDescriptionFree>;

struct PangoLayoutIterFree {
  void operator()(PangoLayoutIter* i) const noexcept { pango_layout_iter_free(i); }
};
using PangoLayoutIterPtr = std::unique_ptr<PangoLayoutIter, PangoLayoutIterFree>;

struct PangoAttrListUnref {
  void operator()(PangoAttrList* l) const noexcept { pango_attr_list_unref(l); }
};
using PangoAttrListPtr = std::unique_ptr<PangoAttrList, PangoAttrListUnref>;

struct FcConfigRelease {
  void operator()(FcConfig* c) const noexcept { ::FcConfigDestroy(c); }
};
using FcConfigPtr = std::unique_ptr<FcConfig, FcConfigRelease>;

struct FcCharSetRelease {
  void operator()(FcCharSet* c) const noexcept { ::FcCharSetDestroy(c); }
};
using FcCharSetPtr = std::unique_ptr<FcCharSet, FcCharSetRelease>;

}  // namespace corvane
