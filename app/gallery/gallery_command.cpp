#include "app/gallery/gallery_command.hpp"

#include <iostream>
#include <memory>

#include "app/cli/entry_source.hpp"
#include "app/cli/exit_codes.hpp"
#include "app/cli/option_checks.hpp"
#include "app/cli/output_format.hpp"
#include "app/gallery/gallery_sheet.hpp"
#include "data/store.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "platform/ui/text/time_format.hpp"
#include "support/file_io.hpp"

namespace corvane {
namespace {

struct GalleryOptions {
  SourceOptions source;
  EnvironmentOptions env;
  double scale = 1;
  std::string format;  // empty: from --out's extension
  std::string out;
};

enum class SheetFormat { png, pdf, html };

SheetFormat formatOf(const std::string& given, const std::string& out) {
  const std::string name = outputFormat(given, out, {{"png", "pdf", "html"}, {{"htm", "html"}}, std::nullopt});
  return name == "png" ? SheetFormat::png : name == "pdf" ? SheetFormat::pdf : SheetFormat::html;
}

// What the first row shows, in words.
std::string describeSource(const SourceOptions& s) {
  if (s.snapshotFile == "-") return "the snapshot read from standard input";
  if (!s.snapshotFile.empty()) return s.snapshotFile;
  if (s.sample) return "the built-in sample";
  if (s.noData) return "no data";
  if (s.placeholder) return "the placeholder: the built-in sample";
  auto file = Store::file();
  const std::string where = file ? *file : std::string("the snapshot file");
  if (s.preview) return where + " as a preview shows it (the sample when it gives no data)";
  return where + " as the widget reads it";
}

void run(const GalleryOptions& o) {
  const SheetFormat format = formatOf(o.format, o.out);
  const auto families = declaredFamilies();
  const Entry given = resolveEntry(o.source, o.env);
  const Environment env = resolveEnvironment(o.env, families.front(), o.scale);
  // The sample the variants fall back on, built as --sample would build it.
  const Snapshot sample = o.env.now ? Store::makeSample(*o.env.now) : Store::sample();
  const auto groups = galleryGroups(given, sample, describeSource(o.source));
  const std::string subtitle = "drawn at " + formatShortTime(given.date, env.locale, env.timeZone) + " (" +
                               env.timeZone + ", " + env.locale + ")";

  FontLibrary fonts;
  PangoTextMeasurer text(fonts);
  std::string bytes;
  switch (format) {
    case SheetFormat::png:
      bytes =
          encodePng(paintSheetImage(layOutSheet(groups, families, subtitle, false).front(), env, fonts, text).get());
      break;
    case SheetFormat::pdf: bytes = sheetPdf(layOutSheet(groups, families, subtitle, true), env, fonts, text); break;
    case SheetFormat::html: bytes = sheetHtml(groups, families, subtitle, env, fonts, text); break;
  }
  if (auto error = writeFileAtomically(o.out, bytes)) throw CommandFailure(kExitUsage, o.out + ": " + *error);
  std::cout << o.out << '\n';
}

}  // namespace

void addGalleryCommand(CLI::App& app) {
  auto o = std::make_shared<GalleryOptions>();
  CLI::App* cmd = app.add_subcommand(
      "gallery", "Draw every declared family in every state a snapshot can put the widget in, on one sheet");
  addSourceOptions(*cmd, o->source);
  cmd->add_option("--scale", o->scale, "pixels per point for PNG pictures")->check(scaleCheck())->capture_default_str();
  cmd->add_option("--out", o->out, "the sheet: FILE.png, FILE.pdf (a page per group of rows) or FILE.html")->required();
  cmd->add_option("--format", o->format, "the sheet's format (default: the one --out's extension names)")
      ->check(CLI::IsMember({"png", "pdf", "html"}));
  addEnvironmentOptions(*cmd, o->env);
  cmd->callback([o] { run(*o); });
}

}  // namespace corvane
