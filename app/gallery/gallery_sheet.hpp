#pragma once
// The gallery sheet: every declared family side by side, in labelled rows for
// the states a writer of snapshots must think of, each made from one entry by
// editing its records. The rows and where everything goes are pure; the
// drawing is the widget's own (TodayContent, layout, painter), so each cell is
// exactly what the widget shows for that entry.

#include <string>
#include <vector>

#include "platform/ui/shaping/fonts.hpp"
#include "platform/ui/shaping/gobject_ptr.hpp"
#include "platform/ui/text/text_measure.hpp"
#include "platform/ui/tree/environment.hpp"
#include "timeline/entry.hpp"

namespace corvane {

struct GalleryRow {
  std::string title;  // what the row shows: "Stale"
  std::string note;   // how it was made from the given snapshot
  Entry entry;
};

struct GalleryGroup {
  std::string title;
  std::vector<GalleryRow> rows;
};

// The rows for `given`, whose source `source` names. The first is `given` as
// it is; the others edit its snapshot (or `sample` when it has none), which
// for them is connected, fresh (written at the entry's date unless it is
// fresh then already) and lists the sample's accounts when it lists none.
std::vector<GalleryGroup> galleryGroups(const Entry& given, const Snapshot& sample, const std::string& source);

enum class SheetTextStyle { title, subtitle, heading, groupTitle, rowTitle, rowNote };

struct SheetText {
  std::string text;
  SheetTextStyle style;
  double x, y, width;  // points; y is the top of the line, and a longer text is cut to the width
};

struct SheetCell {
  const Entry* entry;  // in the groups the page was laid out from
  WidgetFamily family;
  double x, y;  // the canvas's top-left corner, in whole points
};

struct SheetPage {
  double width = 0, height = 0;  // points
  std::vector<SheetText> texts;
  std::vector<SheetCell> cells;
};

// The families in columns, a row's cells top-aligned under its label. All
// groups on one page, or each group on a page of its own (a PDF's); every
// page starts with the title, `subtitle` and the column headings.
std::vector<SheetPage> layOutSheet(const std::vector<GalleryGroup>& groups, const std::vector<WidgetFamily>& families,
                                   const std::string& subtitle, bool pagePerGroup);

// A page as an image at env.displayScale pixels per point.
CairoSurfacePtr paintSheetImage(const SheetPage& page, const Environment& env, const FontLibrary& fonts,
                                TextMeasurer& text);

// The pages as one PDF, a page each, in points.
std::string sheetPdf(const std::vector<SheetPage>& pages, const Environment& env, const FontLibrary& fonts,
                     TextMeasurer& text);

// One HTML page: the labels as text, each cell a PNG at env.displayScale in a
// data: URI, shown at its size in points.
std::string sheetHtml(const std::vector<GalleryGroup>& groups, const std::vector<WidgetFamily>& families,
                      const std::string& subtitle, const Environment& env, const FontLibrary& fonts,
                      TextMeasurer& text);

}  // namespace corvane
