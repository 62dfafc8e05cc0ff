#pragma once
// The fonts of the view toolkit: Inter for the system face, JetBrains Mono
// for the monospaced design, and a small set of fallback fonts for characters
// they lack. Loaded into an application-only fontconfig setup: only these
// files are opened, no system-wide font scan happens at start-up.

#include <pango/pango.h>

#include <string>
#include <vector>

#include "platform/ui/font.hpp"
#include "platform/ui/gobject_ptr.hpp"

namespace corvane {

struct FontFiles {
  std::vector<std::string> files;  // font files to load
  // The files the project's fonts come from (set at build time).
  static FontFiles installed();
};

class FontLibrary {
 public:
  // Throws std::runtime_error when none of the files can be loaded.
  explicit FontLibrary(const FontFiles& files = FontFiles::installed());

  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  // A Pango context measuring in points: 72 dpi, unhinted metrics, so sizes
  // are the same at every display scale.
  PangoContext* context() const { return context_.get(); }

  // The description of a toolkit font: family, weight, size in points.
  static PangoFontDescriptionPtr describe(const Font& font);

 private:
  FcConfigPtr config_;
  GObjectPtr<PangoFontMap> fontMap_;
  GObjectPtr<PangoContext> context_;
};

}  // namespace corvane
