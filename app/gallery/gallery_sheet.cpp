#include "app/gallery/gallery_sheet.hpp"

#include <cairo-pdf.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "platform/protocol/canvas.hpp"
#include "platform/ui/paint/painter.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "views/header.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

constexpr const char* kTitle = "Corvane today: every family, every state";

// ---- The rows ---------------------------------------------------------------

// The first `n` accounts; a shorter list is repeated, each copy's handles
// numbered so that the rows stay distinct accounts.
CowVector<Account> accountsTo(const CowVector<Account>& from, std::size_t n) {
  std::vector<Account> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    Account a = from[i % from.size()];
    if (i >= from.size()) {
      a.u += '_';
      a.u += std::to_string(i / from.size() + 1);
    }
    out.push_back(std::move(a));
  }
  return out;
}

std::string accountsNote(std::string note, const Snapshot& base, std::size_t n) {
  if (base.accounts.size() < n) note += ", the accounts repeated with numbered handles";
  return note;
}

// A cell in each state word, "full", "off", "zero" and the normal "", on the
// cells of the first plan that has four: the given accounts' before the
// sample's (which has six), or the longest there is.
std::vector<PlanCell> planInEachState(const Snapshot& base, const Snapshot& sample) {
  const CowVector<PlanCell>* longest = nullptr;
  for (const Snapshot* s : {&base, &sample})
    for (const Account& a : s->accounts)
      if (!longest || (longest->size() < 4 && a.plan.size() > longest->size())) longest = &a.plan;
  if (!longest) return {};
  std::vector<PlanCell> plan(longest->begin(),
                             longest->begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(longest->size(), 4)));
  const char* states[] = {"full", "off", "zero", ""};
  for (std::size_t i = 0; i < plan.size(); ++i) plan[i].s = states[i];
  return plan;
}

// `Likes "full", Comments "off", …`: which cell is in which state.
std::string cellsNote(const std::vector<PlanCell>& plan) {
  std::string note;
  for (const PlanCell& c : plan) {
    if (!note.empty()) note += ", ";
    note += c.n + " \"" + c.s + "\"";
    if (c.s.empty()) note += " (the normal state)";
  }
  return note;
}

}  // namespace

std::vector<GalleryGroup> galleryGroups(const Entry& given, const Snapshot& sample, const std::string& source) {
  const Date now = given.date;
  Snapshot base = given.data.value_or(sample);
  base.connected = true;
  if (!(now.timeIntervalSince(Date{base.at}) <= Updated::kStaleAfter)) base.at = now.sinceEpoch;
  if (base.accounts.empty()) base.accounts = sample.accounts;

  const auto edited = [&](const auto& edit) {
    Snapshot s = base;
    edit(s);
    return Entry{now, std::move(s)};
  };
  const std::vector<PlanCell> plan = planInEachState(base, sample);
  const auto withAccounts = [&](std::size_t n) {
    return edited([&](Snapshot& s) { s.accounts = accountsTo(s.accounts, n); });
  };

  return {
      {"As given",
       {
           {"As it is", source, given},
           {"Stale", "\"at\" 16 minutes before the time drawn: older than 15 minutes",
            edited([&](Snapshot& s) { s.at = now.sinceEpoch - 16 * 60; })},
       }},
      {"Empty states",
       {
           {"No data", "no file, or one that does not decode", Entry{now, std::nullopt}},
           {"Not connected", "\"connected\": false", edited([](Snapshot& s) { s.connected = false; })},
           {"No accounts", "\"accounts\": []", edited([](Snapshot& s) { s.accounts.clear(); })},
       }},
      {"Rows",
       {
           {"One account", "the first account alone", withAccounts(1)},
           {"Three accounts", accountsNote("the most rows the medium family shows", base, 3), withAccounts(3)},
           {"Four accounts", accountsNote("the most rows the large family shows", base, 4), withAccounts(4)},
           {"Six accounts", accountsNote("more than fit: the overflow line", base, 6), withAccounts(6)},
       }},
      {"Caps and plan cells",
       {
           {"No cap", "\"cap\" missing for the day and for the first account", edited([](Snapshot& s) {
              s.cap.reset();
              s.accounts[0].cap.reset();
            })},
           {"Plan cells in each state", "the first account's plan: " + cellsNote(plan),
            edited([&](Snapshot& s) { s.accounts[0].plan = plan; })},
       }},
  };
}

// ---- Where things go ----------------------------------------------------------

namespace {

constexpr double kMargin = 32;     // around the sheet
constexpr double kColumnGap = 24;  // between families
// Line heights, by style; a text is drawn from the top of its line.
constexpr double kTitleLine = 28, kSubtitleLine = 18, kHeadingLine = 16, kGroupLine = 24, kRowTitleLine = 18,
                 kRowNoteLine = 16;

}  // namespace

std::vector<SheetPage> layOutSheet(const std::vector<GalleryGroup>& groups, const std::vector<WidgetFamily>& families,
                                   const std::string& subtitle, bool pagePerGroup) {
  double contentWidth = 0, rowHeight = 0;
  for (WidgetFamily f : families) {
    contentWidth += (contentWidth > 0 ? kColumnGap : 0) + canvasFor(f).width;
    rowHeight = std::max(rowHeight, canvasFor(f).height);
  }
  const double width = contentWidth + 2 * kMargin;

  std::vector<SheetPage> pages;
  double y = 0;
  const auto text = [&](SheetPage& page, std::string s, SheetTextStyle style, double x, double w, double line) {
    page.texts.push_back({std::move(s), style, x, y, w});
    if (line > 0) y += line;
  };
  const auto startPage = [&] {
    SheetPage& page = pages.emplace_back();
    page.width = width;
    y = kMargin;
    text(page, kTitle, SheetTextStyle::title, kMargin, contentWidth, kTitleLine);
    text(page, subtitle, SheetTextStyle::subtitle, kMargin, contentWidth, kSubtitleLine);
    y += 14;
    double x = kMargin;
    for (WidgetFamily f : families) {
      const WidgetCanvas c = canvasFor(f);
      text(page,
           std::string(familyShortName(f)) + " \u00b7 " + std::to_string(std::lround(c.width)) + " \u00d7 " +
               std::to_string(std::lround(c.height)) + " pt",
           SheetTextStyle::heading, x, c.width, 0);
      x += c.width + kColumnGap;
    }
    y += kHeadingLine;
  };

  for (const GalleryGroup& group : groups) {
    if (pages.empty() || pagePerGroup) startPage();
    SheetPage& page = pages.back();
    y += 20;
    text(page, group.title, SheetTextStyle::groupTitle, kMargin, contentWidth, kGroupLine);
    for (const GalleryRow& row : group.rows) {
      y += 10;
      text(page, row.title, SheetTextStyle::rowTitle, kMargin, contentWidth, kRowTitleLine);
      text(page, row.note, SheetTextStyle::rowNote, kMargin, contentWidth, kRowNoteLine);
      y += 8;
      double x = kMargin;
      for (WidgetFamily f : families) {
        page.cells.push_back({&row.entry, f, x, y});
        x += canvasFor(f).width + kColumnGap;
      }
      y += rowHeight + 18;
    }
    page.height = y + kMargin - 18;
  }
  return pages;
}

// ---- Drawing -------------------------------------------------------------------

namespace {

struct Rgb {
  double r, g, b;
};

// A light neutral sheet, so the widget's dark background and its rounded
// corners stand out; dark labels, notes a step lighter.
constexpr Rgb kSheet{0.902, 0.906, 0.922}, kInk{0.110, 0.114, 0.133}, kQuiet{0.353, 0.365, 0.420};

struct TextLook {
  Font font;
  Rgb color;
};

TextLook lookOf(SheetTextStyle style) {
  switch (style) {
    case SheetTextStyle::title: return {Font::system(20, FontWeight::bold), kInk};
    case SheetTextStyle::subtitle: return {Font::system(12), kQuiet};
    case SheetTextStyle::heading: return {Font::system(11, FontWeight::medium), kQuiet};
    case SheetTextStyle::groupTitle: return {Font::system(16, FontWeight::semibold), kInk};
    case SheetTextStyle::rowTitle: return {Font::system(13, FontWeight::semibold), kInk};
    case SheetTextStyle::rowNote: return {Font::system(11), kQuiet};
  }
  return {Font::system(11), kInk};
}

void check(cairo_status_t status, const char* what) {
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string(what) + ": " + cairo_status_to_string(status));
}

// What the widget draws for `entry` in `family`: the same tree, layout and
// painter as `render`, at the cell's corner.
void paintCell(cairo_t* cr, const SheetCell& cell, const Environment& env, const FontLibrary& fonts,
               TextMeasurer& text) {
  Environment e = env;
  e.widgetFamily = cell.family;
  const WidgetCanvas canvas = canvasFor(cell.family);
  const BoxTree tree = layOut(compose(TodayContent{}(*cell.entry), e), e, canvas, text);
  cairo_save(cr);
  cairo_translate(cr, cell.x, cell.y);
  paintWidget(cr, tree, canvas, fonts);
  cairo_restore(cr);
}

void paintPage(cairo_t* cr, const SheetPage& page, const Environment& env, const FontLibrary& fonts,
               TextMeasurer& text) {
  cairo_set_source_rgb(cr, kSheet.r, kSheet.g, kSheet.b);
  cairo_paint(cr);
  for (const SheetText& t : page.texts) {
    const TextLook look = lookOf(t.style);
    auto layout = makeTextLayout(fonts, t.text, look.font, t.width, 1);
    cairo_set_source_rgb(cr, look.color.r, look.color.g, look.color.b);
    cairo_move_to(cr, t.x, t.y);
    pango_cairo_show_layout(cr, layout.get());
  }
  for (const SheetCell& cell : page.cells) paintCell(cr, cell, env, fonts, text);
  check(cairo_status(cr), "painting the sheet");
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string escapeHtml(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string base64(const std::string& bytes) {
  std::unique_ptr<gchar, decltype(&g_free)> encoded(
      g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size()), g_free);
  return encoded.get();
}

}  // namespace

CairoSurfacePtr paintSheetImage(const SheetPage& page, const Environment& env, const FontLibrary& fonts,
                                TextMeasurer& text) {
  const double scale = env.displayScale;
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32,
                                                     static_cast<int>(std::lround(page.width * scale)),
                                                     static_cast<int>(std::lround(page.height * scale))));
  check(cairo_surface_status(surface.get()), "sheet image");
  CairoPtr cr(cairo_create(surface.get()));
  cairo_scale(cr.get(), scale, scale);
  paintPage(cr.get(), page, env, fonts, text);
  cairo_surface_flush(surface.get());
  return surface;
}

std::string sheetPdf(const std::vector<SheetPage>& pages, const Environment& env, const FontLibrary& fonts,
                     TextMeasurer& text) {
  if (pages.empty()) throw std::invalid_argument("a sheet has at least one page");
  std::string bytes;
  {
    CairoSurfacePtr surface(
        cairo_pdf_surface_create_for_stream(appendToString, &bytes, pages.front().width, pages.front().height));
    check(cairo_surface_status(surface.get()), "PDF surface");
    CairoPtr cr(cairo_create(surface.get()));
    for (const SheetPage& page : pages) {
      cairo_pdf_surface_set_size(surface.get(), page.width, page.height);
      paintPage(cr.get(), page, env, fonts, text);
      cairo_show_page(cr.get());
    }
    cairo_surface_finish(surface.get());  // flushes the last bytes into `bytes`
    check(cairo_surface_status(surface.get()), "PDF surface");
  }
  return bytes;
}

std::string sheetHtml(const std::vector<GalleryGroup>& groups, const std::vector<WidgetFamily>& families,
                      const std::string& subtitle, const Environment& env, const FontLibrary& fonts,
                      TextMeasurer& text) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + escapeHtml(kTitle) +
      "</title>\n<style>\n"
      "body { background: #e6e7eb; color: #1c1d22; font-family: Inter, system-ui, sans-serif; margin: 32px; }\n"
      "h1 { font-size: 20px; margin: 0 0 4px; } h2 { font-size: 16px; margin: 28px 0 4px; }\n"
      "h3 { font-size: 13px; margin: 16px 0 2px; } p { font-size: 11px; color: #5a5d6b; margin: 0 0 8px; }\n"
      ".cells { display: flex; gap: 24px; align-items: flex-start; }\n"
      "figure { margin: 0; } figcaption { font-size: 11px; color: #5a5d6b; margin-top: 4px; }\n"
      "</style>\n</head>\n<body>\n<h1>" +
      escapeHtml(kTitle) + "</h1>\n<p>" + escapeHtml(subtitle) + "</p>\n";
  for (const GalleryGroup& group : groups) {
    html += "<section>\n<h2>" + escapeHtml(group.title) + "</h2>\n";
    for (const GalleryRow& row : group.rows) {
      html += "<h3>" + escapeHtml(row.title) + "</h3>\n<p>" + escapeHtml(row.note) + "</p>\n<div class=\"cells\">\n";
      for (WidgetFamily f : families) {
        Environment e = env;
        e.widgetFamily = f;
        const WidgetCanvas canvas = canvasFor(f);
        const std::string png =
            renderWidget(compose(TodayContent{}(row.entry), e), e, canvas, ImageFormat::png, fonts, text);
        const std::string family(familyShortName(f));
        html += "<figure><img width=\"" + std::to_string(std::lround(canvas.width)) + "\" height=\"" +
                std::to_string(std::lround(canvas.height)) + "\" alt=\"" + escapeHtml(row.title + ", " + family) +
                "\" src=\"data:image/png;base64,";
        html += base64(png);
        html += "\"><figcaption>" + family + "</figcaption></figure>\n";
      }
      html += "</div>\n";
    }
    html += "</section>\n";
  }
  return html + "</body>\n</html>\n";
}

}  // namespace corvane
