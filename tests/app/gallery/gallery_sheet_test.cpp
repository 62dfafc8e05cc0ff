// The gallery sheet: each row shows the state its title names, in every
// family; variants come from the given snapshot; the layout keeps families in
// columns and groups on pages; and a cell is what `render` draws.

#include "app/gallery/gallery_sheet.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "kit/tree_query.hpp"
#include "platform/protocol/canvas.hpp"
#include "platform/ui/paint/render.hpp"
#include "views/header.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

using namespace corvane::testing;
using enum WidgetFamily;

constexpr double kNow = kSampleTime;
const std::vector<WidgetFamily> kFamilies{systemSmall, systemMedium, systemLarge};

Node treeOf(const Entry& entry, WidgetFamily family) {
  return compose(TodayContent{}(entry), pinnedEnvironment(family, kNow));
}

std::vector<std::string> textsOf(const Entry& entry, WidgetFamily family) {
  return texts(treeOf(entry, family), pinnedEnvironment(family, kNow));
}

bool reads(const std::vector<std::string>& all, const std::string& text) {
  return std::find(all.begin(), all.end(), text) != all.end();
}

const GalleryRow& rowTitled(const std::vector<GalleryGroup>& groups, const std::string& title) {
  for (const GalleryGroup& g : groups)
    for (const GalleryRow& r : g.rows)
      if (r.title == title) return r;
  throw std::invalid_argument("no row " + title);
}

std::vector<GalleryGroup> sampleGroups() {
  return galleryGroups(Entry{Date{kNow}, Store::makeSample(kNow)}, Store::makeSample(kNow), "the sample");
}

TEST(GallerySheet, EachRowShowsWhatItsTitleSays) {
  struct Case {
    std::string title;
    std::string message;                // the empty state every family shows, or none
    std::size_t mediumRows, largeRows;  // AccountRows drawn
    std::string mediumMore, largeMore;  // the overflow line, or none
    std::string everywhere;             // a text every family shows, or none
  };
  const std::vector<Case> cases = {
      {"As it is", "", 2, 2, "", "", "0 sec"},
      {"Stale", "", 2, 2, "", "", "not updated since 3:29\u202fPM"},
      {"No data", kNoDataMessage, 0, 0, "", "", ""},
      {"Not connected", kNotConnectedMessage, 0, 0, "", "", ""},
      {"No accounts", kNoAccountsMessage, 0, 0, "", "", ""},
      {"One account", "", 1, 1, "", "", ""},
      {"Three accounts", "", 3, 3, "", "", ""},
      {"Four accounts", "", 3, 4, "1 more in the app", "", ""},
      {"Six accounts", "", 3, 4, "3 more in the app", "2 more in the app", ""},
      {"No cap", "", 2, 2, "", "", ""},
      {"Plan cells in each state", "", 2, 2, "", "", ""},
  };
  const auto groups = sampleGroups();
  std::size_t rows = 0;
  for (const GalleryGroup& g : groups) rows += g.rows.size();
  EXPECT_EQ(rows, cases.size());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const GalleryRow& row = rowTitled(groups, c.title);
    EXPECT_FALSE(row.note.empty());
    for (WidgetFamily f : kFamilies) {
      SCOPED_TRACE(std::string(familyShortName(f)));
      const Node tree = treeOf(row.entry, f);
      const auto shown = textsOf(row.entry, f);
      EXPECT_EQ(view(tree, "Empty") != nullptr, !c.message.empty());
      if (!c.message.empty()) {
        EXPECT_TRUE(reads(shown, c.message));
      }
      if (!c.everywhere.empty()) {
        EXPECT_TRUE(reads(shown, c.everywhere));
      }
      if (f == systemSmall) continue;
      const bool medium = f == systemMedium;
      EXPECT_EQ(views(tree, "AccountRow").size(), medium ? c.mediumRows : c.largeRows);
      const std::string& more = medium ? c.mediumMore : c.largeMore;
      EXPECT_EQ(std::any_of(shown.begin(), shown.end(), [](const std::string& t) { return t.ends_with("in the app"); }),
                !more.empty());
      if (!more.empty()) {
        EXPECT_TRUE(reads(shown, more));
      }
    }
  }
  // No cap: neither the day's nor the first account's; the second keeps its own.
  const Entry& noCap = rowTitled(groups, "No cap").entry;
  EXPECT_FALSE(reads(textsOf(noCap, systemSmall), "/70"));
  EXPECT_FALSE(reads(textsOf(noCap, systemMedium), "/30"));
  EXPECT_TRUE(reads(textsOf(noCap, systemMedium), "/40"));
  // Plan cells: the first account's grid holds one cell per state word.
  const Entry& plans = rowTitled(groups, "Plan cells in each state").entry;
  std::vector<std::string> states;
  for (const PlanCell& cell : plans.data->accounts[0].plan) states.push_back(cell.s);
  EXPECT_EQ(states, (std::vector<std::string>{"full", "off", "zero", ""}));
  EXPECT_NE(view(*views(treeOf(plans, systemLarge), "AccountRow").front(), "PlanGrid"), nullptr);
}

TEST(GallerySheet, VariantsAreMadeFromTheGivenSnapshot) {
  const Snapshot sample = Store::makeSample(kNow);
  Snapshot own = sample;  // five accounts of its own, written two hours ago
  own.at = kNow - 7200;
  own.accounts.clear();
  for (const char* u : {"a1", "a2", "a3", "a4", "a5"}) own.accounts.push_back({u, "run", 1, 5, "Running", {}});
  Snapshot lonely = own;  // not connected, and no accounts
  lonely.connected = false;
  lonely.accounts.clear();
  struct Case {
    const char* name;
    std::optional<Snapshot> given;
    std::string asItIs;                // a text the first row shows in medium
    std::vector<std::string> handles;  // of the "Six accounts" row
  };
  const std::vector<Case> cases = {
      {"own accounts", own, "not updated since 1:45\u202fPM", {"a1", "a2", "a3", "a4", "a5", "a1_2"}},
      {"disconnected, no accounts",
       lonely,
       kNotConnectedMessage,
       {"harbor_lantern", "quiet_orchard", "harbor_lantern_2", "quiet_orchard_2", "harbor_lantern_3",
        "quiet_orchard_3"}},
      {"no data",
       std::nullopt,
       kNoDataMessage,
       {"harbor_lantern", "quiet_orchard", "harbor_lantern_2", "quiet_orchard_2", "harbor_lantern_3",
        "quiet_orchard_3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto groups = galleryGroups(Entry{Date{kNow}, c.given}, sample, "given");
    EXPECT_TRUE(reads(textsOf(rowTitled(groups, "As it is").entry, systemMedium), c.asItIs));
    const Snapshot& six = *rowTitled(groups, "Six accounts").entry.data;
    std::vector<std::string> handles;
    for (const Account& a : six.accounts) handles.push_back(a.u);
    EXPECT_EQ(handles, c.handles);
    // Every variant with data is connected and fresh, but the stale one.
    for (const GalleryGroup& g : groups)
      for (const GalleryRow& r : g.rows) {
        if (r.title == "As it is" || !r.entry.data) continue;
        SCOPED_TRACE(r.title);
        EXPECT_EQ(r.entry.data->connected, r.title != "Not connected");
        EXPECT_EQ(kNow - r.entry.data->at > Updated::kStaleAfter, r.title == "Stale");
      }
  }
}

TEST(GallerySheet, FamiliesStandInColumnsAndGroupsOnPagesOfTheirOwn) {
  const auto groups = sampleGroups();
  for (bool perGroup : {false, true}) {
    SCOPED_TRACE(perGroup ? "a page per group" : "one page");
    const auto pages = layOutSheet(groups, kFamilies, "drawn", perGroup);
    ASSERT_EQ(pages.size(), perGroup ? groups.size() : 1u);
    std::vector<double> columns;
    std::size_t cells = 0;
    for (const SheetPage& page : pages) {
      cells += page.cells.size();
      for (std::size_t i = 0; i < page.cells.size(); ++i) {
        const SheetCell& c = page.cells[i];
        const WidgetCanvas canvas = canvasFor(c.family);
        EXPECT_EQ(c.family, kFamilies[i % kFamilies.size()]);
        EXPECT_EQ(c.x, std::floor(c.x));  // whole points: whole pixels at every scale
        EXPECT_EQ(c.y, std::floor(c.y));
        if (columns.size() < kFamilies.size()) columns.push_back(c.x);
        EXPECT_EQ(c.x, columns[i % kFamilies.size()]);
        if (i % kFamilies.size()) {
          EXPECT_EQ(c.y, page.cells[i - 1].y);  // a row's cells top-aligned
        }
        EXPECT_LE(c.x + canvas.width, page.width);
        EXPECT_LE(c.y + canvas.height, page.height);
        // No label lies on a cell.
        for (const SheetText& t : page.texts)
          EXPECT_FALSE(t.y + 12 > c.y && t.y < c.y + canvas.height && t.x < c.x + canvas.width && c.x < t.x + t.width)
              << t.text;
      }
      for (std::size_t i = 1; i < columns.size(); ++i)
        EXPECT_GE(columns[i], columns[i - 1] + canvasFor(kFamilies[i - 1]).width);
    }
    EXPECT_EQ(cells, 11 * kFamilies.size());
  }
}

TEST(GallerySheet, ACellIsWhatRenderDraws) {
  const auto groups = sampleGroups();
  std::vector<GalleryGroup> first{groups.front()};
  const SheetPage page = layOutSheet(first, kFamilies, "drawn", false).front();
  FontLibrary& fonts = sharedFonts();
  PangoTextMeasurer text(fonts);
  const Environment env = pinnedEnvironment(systemSmall, kNow, 2);
  CairoSurfacePtr sheet = paintSheetImage(page, env, fonts, text);
  const int stride = cairo_image_surface_get_stride(sheet.get());
  const unsigned char* pixels = cairo_image_surface_get_data(sheet.get());
  for (const SheetCell& cell : page.cells) {
    Environment e = env;
    e.widgetFamily = cell.family;
    const WidgetCanvas canvas = canvasFor(cell.family);
    // What render draws, laid over the sheet's colour at the cell's place.
    PangoTextMeasurer own(fonts);
    CairoSurfacePtr widget =
        paintImage(layOut(compose(TodayContent{}(*cell.entry), e), e, canvas, own), canvas, 2, fonts);
    const int w = cairo_image_surface_get_width(widget.get()), h = cairo_image_surface_get_height(widget.get());
    CairoSurfacePtr expected(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    CairoPtr cr(cairo_create(expected.get()));
    cairo_set_source_rgb(cr.get(), pixels[2] / 255.0, pixels[1] / 255.0, pixels[0] / 255.0);  // the sheet's corner
    cairo_paint(cr.get());
    cairo_set_source_surface(cr.get(), widget.get(), 0, 0);
    cairo_paint(cr.get());
    cairo_surface_flush(expected.get());
    const int es = cairo_image_surface_get_stride(expected.get());
    const unsigned char* ep = cairo_image_surface_get_data(expected.get());
    int worst = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w * 4; ++x)
        worst = std::max(
            worst,
            std::abs(ep[y * es + x] -
                     pixels[(static_cast<int>(cell.y) * 2 + y) * stride + static_cast<int>(cell.x) * 2 * 4 + x]));
    EXPECT_LE(worst, 2) << familyShortName(cell.family);
  }
}

TEST(GallerySheet, PdfHasAPagePerGroupAndHtmlEmbedsEveryPicture) {
  const auto groups = sampleGroups();
  FontLibrary& fonts = sharedFonts();
  PangoTextMeasurer text(fonts);
  const Environment env = pinnedEnvironment(systemSmall, kNow, 1);
  const std::string pdf = sheetPdf(layOutSheet(groups, kFamilies, "drawn", true), env, fonts, text);
  std::size_t pages = 0;
  for (auto at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  EXPECT_EQ(pages, groups.size());

  const std::string html = sheetHtml(groups, kFamilies, "drawn <now>", env, fonts, text);
  std::size_t pictures = 0;
  for (auto at = html.find("src=\"data:image/png;base64,"); at != std::string::npos;
       at = html.find("src=\"data:image/png;base64,", at + 1))
    ++pictures;
  EXPECT_EQ(pictures, 11 * kFamilies.size());
  for (const char* label : {"<h2>Empty states</h2>", "<h3>Not connected</h3>", "<p>&quot;connected&quot;: false</p>",
                            "<p>drawn &lt;now&gt;</p>", "alt=\"Six accounts, large\""})
    EXPECT_NE(html.find(label), std::string::npos) << label;
}

}  // namespace
}  // namespace corvane
