#pragma once
// The fonts of the view toolkit: Inter for the system face, JetBrains Mono
// for the monospaced design, DejaVu for the characters they lack, and
// broader fallbacks (CJK, emoji) loaded only when a text needs them. All of it
// in an application-only fontconfig setup: only these directories are read
// (through the system's font caches), and no system-wide font scan happens.

#include <pango/pango.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/shaping/gobject_ptr.hpp"
#include "platform/ui/tree/font.hpp"

namespace corvane {

struct FontFiles {
  std::vector<std::string> directories;  // font directories loaded at start
  std::vector<std::string> fallbacks;    // loaded only when a text needs them
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

  // Makes sure every character of `text` can be drawn: the first text with a
  // character the loaded fonts lack loads the fallback fonts. Coverage is
  // font-loading state behind a logically constant library.
  void cover(std::string_view text) const;

 private:
  void loadFallbacks() const;

  FcConfigPtr config_;
  FcCharSetPtr coverage_;
  std::vector<std::string> fallbackFiles_;
  mutable bool fallbacksLoaded_ = false;
  GObjectPtr<PangoFontMap> fontMap_;
  GObjectPtr<PangoContext> context_;
};

}  // namespace corvane
