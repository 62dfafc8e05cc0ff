#include "app/cli/render_command.hpp"

#include <filesystem>
#include <iostream>
#include <memory>

#include "app/cli/entry_source.hpp"
#include "app/cli/exit_codes.hpp"
#include "app/cli/option_checks.hpp"
#include "app/cli/output_format.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "support/file_io.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

struct RenderOptions {
  SourceOptions source;
  EnvironmentOptions env;
  std::string family = "all";
  std::string format;  // empty: from --out's extension, else png
  double scale = 1;
  std::string out;
};

ImageFormat parseFormat(const std::string& name) {
  if (name == "png") return ImageFormat::png;
  if (name == "svg") return ImageFormat::svg;
  if (name == "pdf") return ImageFormat::pdf;
  throw CommandFailure(kExitUsage, "unknown format: " + name + " (png, svg or pdf)");
}

// The families to draw: the ones the widget declares, for "all".
std::vector<WidgetFamily> familiesFor(const std::string& name) {
  if (name == "all") return declaredFamilies();
  return {parseFamily(name)};
}

const OutputFormats kPictureFormats{{"png", "svg", "pdf"}, {}, "png"};

void writeOut(const std::string& path, const std::string& bytes) {
  if (auto error = writeFileAtomically(path, bytes)) throw CommandFailure(kExitUsage, path + ": " + *error);
  std::cout << path << '\n';
}

void run(const RenderOptions& o) {
  const auto families = familiesFor(o.family);
  const bool folder = o.family == "all";
  std::string out = o.out.empty() ? (folder ? "out" : "") : o.out;
  // One file: its name and --format agree. A folder's files are named for the format.
  const std::string formatName =
      folder ? (o.format.empty() ? *kPictureFormats.fallback : o.format) : outputFormat(o.format, out, kPictureFormats);
  const ImageFormat format = parseFormat(formatName);
  // Said before anything is drawn or made, so a mistaken path leaves no
  // folder named like a picture behind (a picture's name, with several
  // families, was meant as one file, which cannot hold them all).
  if (folder && formatOfExtension(out, kPictureFormats))
    throw CommandFailure(kExitUsage, "--out " + out + ": --family " + o.family +
                                         " draws several pictures; give a folder, or one family for one file");
  if (folder) {
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) throw CommandFailure(kExitUsage, out + ": " + ec.message());
  }
  Entry entry = resolveEntry(o.source, o.env);
  Environment env = resolveEnvironment(o.env, families.front(), o.scale);
  env.redacted = o.source.placeholder;  // as a host shows its placeholder
  FontLibrary fonts;
  PangoTextMeasurer text(fonts);  // shared, so texts common to the families are measured once
  for (WidgetFamily family : families) {
    env.widgetFamily = family;
    Node tree = compose(TodayContent{}(entry), env);
    std::string name = "widget-" + std::string(familyShortName(family)) + "." + formatName;
    std::string path = folder ? (std::filesystem::path(out) / name).string() : (out.empty() ? name : out);
    writeOut(path, renderWidget(tree, env, canvasFor(family), format, fonts, text));
  }
}

}  // namespace

void addRenderCommand(CLI::App& app) {
  auto o = std::make_shared<RenderOptions>();
  CLI::App* cmd = app.add_subcommand("render", "Draw the widget to PNG, SVG or PDF");
  addSourceOptions(*cmd, o->source);
  cmd->add_option("--family", o->family, "one family, or all: the three the widget declares")
      ->check(familyCheck(true))
      ->capture_default_str();
  cmd->add_option("--format", o->format, "the picture's format (default: the one --out's extension names, else png)")
      ->check(CLI::IsMember({"png", "svg", "pdf"}));
  cmd->add_option("--scale", o->scale, "pixels per point for PNG")->check(scaleCheck())->capture_default_str();
  cmd->add_option("--out", o->out,
                  "with one family the file (default: widget-FAMILY.FORMAT); with --family all a folder "
                  "(default: out/) for files named widget-FAMILY.FORMAT");
  addEnvironmentOptions(*cmd, o->env);
  cmd->callback([o] { run(*o); });
}

}  // namespace corvane
