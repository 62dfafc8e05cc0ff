// corvane-widget-assets: writes, when the program is built, what an
// installation carries beside the program and must say what the program
// does or shows: the manual page and the shell completions, from the command
// line's own definitions (makeCommandLine), and the icon, drawn by the
// widget's painter.
//   corvane-widget-assets manual OUT
//   corvane-widget-assets completion bash|zsh|fish OUT
//   corvane-widget-assets icon PIXELS|svg OUT
//   corvane-widget-assets fill TEMPLATE OUT [KEY=VALUE...]
// `fill` writes TEMPLATE with each @KEY@ replaced: the widget's names and the
// version from the program, other keys as given (a key given as itself,
// K=@K@, is kept for a later step); any other @KEY@ is an error.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/assets/cli_reference.hpp"
#include "app/assets/completions.hpp"
#include "app/assets/icon_files.hpp"
#include "app/assets/manual_page.hpp"
#include "app/assets/template_fill.hpp"
#include "app/cli/command_line.hpp"
#include "app/cli/exit_codes.hpp"
#include "app/cli/version.hpp"
#include "data/store.hpp"
#include "platform/desktop/placement.hpp"
#include "platform/process/instance_lock.hpp"
#include "support/file_io.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

CommandReference commandLine() {
  const std::unique_ptr<CLI::App> app = makeCommandLine(CorvaneWidgets{}, [](const WindowRunOptions&) {});
  return describeCommandLine(*app);
}

ManualPage manual() {
  // The names the program uses for its files, so that the page names the same.
  const std::string settings = std::string("$XDG_CONFIG_HOME/") + kSettingsFolderName + "/";
  ManualPage page;
  page.date = std::string(releaseDate());
  page.source = std::string(kProgramName) + " " + std::string(programVersion());
  page.manual = "User Commands";
  page.summary = "the Corvane desktop widget, its data and its host";
  page.description = {
      std::string(TodayWidget::kDisplayName) + ": " + TodayWidget::kDescription,
      "The desktop widget of Corvane, a direct-message outreach application. It shows the day's DMs against the "
      "daily cap, replies, what waits for the user and, per account, its state, DM count, note and plan for the "
      "day, in three sizes. It never talks to the network: it reads a snapshot file that the main application "
      "writes (see FILES).",
      "run shows the widget in a window of its own on X11 and Wayland, kept current; run --headless keeps "
      "pictures of it current in a folder instead. The other commands check a snapshot file, draw the widget "
      "once, and show what the widget answers a host.",
  };
  page.sections = {
      {"EXIT STATUS",
       {},
       {{std::to_string(kExitOk), "Success."},
        {std::to_string(kExitInvalid),
         "The snapshot file is not valid (check, --snapshot), or reload found no widget host running."},
        {std::to_string(kExitUsage),
         "A usage error, an unreadable input or an unwritable output; the reason is on standard error."},
        {std::to_string(kExitDisplayLost),
         "run: the display went away while the widget showed and the program could not start again to wait "
         "for it; the systemd user unit starts it again."}}},
      {"ENVIRONMENT",
       {},
       {{"DISPLAY, WAYLAND_DISPLAY", "The displays run can show the widget on; without either, use --headless."},
        {"GDK_BACKEND", "x11 or wayland picks the display when both are available."},
        {"LC_ALL, LC_TIME, LANG",
         "The locale for times, in this order, when --locale is not given (C and POSIX: "
         "en_US)."},
        {"TZ", "The time zone when --timezone is not given; else the system's."},
        {"XDG_CONFIG_HOME", "Where the widgets a person set up are kept (default: ~/.config)."},
        {"XDG_RUNTIME_DIR", "Where each running host's socket is (default: /tmp/corvane-widget-UID)."}}},
      {"FILES",
       {},
       {{Store::fileIn("~"),
         "The snapshot file the widget reads, where ~ is the home directory from the user database (HOME plays "
         "no part); corvane-widget where prints it."},
        {settings + kWidgetsFileName,
         "The widgets on the desktop, kept by run as a person adds, removes, resizes, drags and locks them: one "
         "line each, FAMILY [X Y] [locked], in the order they opened. run without --family shows these."},
        {settings + kOlderPlacesFileName,
         "Places remembered by an older version (FAMILY X Y): read while the widgets file names no place, never "
         "written."},
        {"$XDG_RUNTIME_DIR/corvane-widget/",
         "The private folder of the running hosts' sockets, host-PID.sock, through which reload reaches them, and of " +
             std::string(kWindowLockName) + ", held by the one window process of the user."},
        {"/etc/xdg/autostart/corvane-widget.desktop",
         "Starts the widget when a person logs in to a desktop (~/.config/autostart/ for an installation in the "
         "home directory)."},
        {"corvane-widget.service",
         "The systemd user unit that keeps the widget running in the graphical session: systemctl --user "
         "enable --now corvane-widget."}}},
      {"EXAMPLES",
       {},
       {{"corvane-widget run",
         "Put the widgets kept from the last run back on the desktop, where they were; the first time, one "
         "medium widget at the top right."},
        {"corvane-widget run --family small --family large --position bottom-right",
         "Two windows, small and large, at the bottom right: options given win over what was kept for the widgets "
         "they name."},
        {"corvane-widget run --headless --out ~/.cache/corvane-widget",
         "Keep widget-small.png, widget-medium.png and widget-large.png in that folder current."},
        {"corvane-widget check widget.json", "Validate a snapshot file."},
        {"corvane-widget render --sample --family large --scale 2 --out large.png",
         "Draw the built-in sample in the large size."},
        {"corvane-widget reload", "What the main application runs after it writes the snapshot file."}}},
      {"SEE ALSO", {"systemctl(1)"}, {}},
  };
  return page;
}

std::string completion(const std::string& shell, const CommandReference& command) {
  if (shell == "bash") return bashCompletion(command);
  if (shell == "zsh") return zshCompletion(command);
  if (shell == "fish") return fishCompletion(command);
  throw CommandFailure(kExitUsage, "unknown shell: " + shell + " (bash, zsh or fish)");
}

std::map<std::string, std::string> widgetValues() {
  std::string summary = TodayWidget::kDescription;
  if (!summary.empty() && summary.back() == '.') summary.pop_back();  // a summary is not a sentence
  return {{"KIND", TodayWidget::kKind},
          {"DISPLAY_NAME", TodayWidget::kDisplayName},
          {"DESCRIPTION", TodayWidget::kDescription},
          {"SUMMARY", summary},
          {"PROGRAM", kProgramName},
          {"VERSION", std::string(programVersion())},
          {"RELEASE_DATE", std::string(releaseDate())},
          {"RELEASE_STAMP", std::string(releaseStamp())}};
}

std::string fill(const std::string& templatePath, const std::vector<std::string>& definitions) {
  FileRead read = readRegularFile(templatePath, std::size_t(1) << 20);
  if (!read.bytes) throw CommandFailure(kExitUsage, templatePath + ": " + read.reason);
  std::map<std::string, std::string> values = widgetValues();
  for (const std::string& d : definitions) {
    const auto equals = d.find('=');
    if (equals == std::string::npos) throw CommandFailure(kExitUsage, "not KEY=VALUE: " + d);
    values[d.substr(0, equals)] = d.substr(equals + 1);
  }
  try {
    return fillTemplate(templatePath, *read.bytes, values);
  } catch (const std::invalid_argument& e) {
    throw CommandFailure(kExitUsage, templatePath + ": " + e.what());
  }
}

void write(const std::string& path, const std::string& text) {
  if (auto error = writeFileAtomically(path, text)) throw CommandFailure(kExitUsage, path + ": " + *error);
}

int run(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "manual") {
    write(args[1], manualPage(commandLine(), manual()));
    return kExitOk;
  }
  if (args.size() == 3 && args[0] == "completion") {
    write(args[2], completion(args[1], commandLine()));
    return kExitOk;
  }
  if (args.size() >= 3 && args[0] == "fill") {
    write(args[2], fill(args[1], std::vector<std::string>(args.begin() + 3, args.end())));
    return kExitOk;
  }
  if (args.size() == 3 && args[0] == "icon") {
    write(args[2], args[1] == "svg" ? appIconSvg() : appIconPng(std::stoi(args[1])));
    return kExitOk;
  }
  throw CommandFailure(kExitUsage,
                       "usage: corvane-widget-assets manual OUT | completion bash|zsh|fish OUT | icon PIXELS|svg OUT | "
                       "fill TEMPLATE OUT [KEY=VALUE...]");
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
  try {
    return corvane::run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const corvane::CommandFailure& f) {
    std::cerr << "corvane-widget-assets: " << f.what() << '\n';
    return f.code;
  } catch (const std::exception& e) {
    std::cerr << "corvane-widget-assets: " << e.what() << '\n';
    return corvane::kExitUsage;
  }
}
