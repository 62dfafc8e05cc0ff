#include "app/cli/command_line.hpp"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/cli/data_commands.hpp"
#include "app/cli/exit_codes.hpp"
#include "app/cli/render_command.hpp"
#include "app/cli/version.hpp"
#include "app/cli/view_commands.hpp"
#include "app/gallery/gallery_command.hpp"
#include "app/run/run_command.hpp"

namespace corvane {
namespace {

const CLI::App* commandNamed(const CLI::App& app, const std::string& name) {
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    if (sub->get_name() == name) return sub;
  return nullptr;
}

// The names of the commands, as a person types them.
std::string commandList(const CLI::App& app) {
  std::string names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    names += (names.empty() ? "" : ", ") + sub->get_name();
  return names;
}

// `help [COMMAND]`: what --help prints, for the program or for one command.
void addHelpCommand(CLI::App& app) {
  auto command = std::make_shared<std::string>();
  CLI::App* help = app.add_subcommand("help", "Print what the program, or one COMMAND, takes");
  help->add_option("COMMAND", *command, "the command to describe");
  help->callback([&app, command] {
    // The formatter itself: App::help() would describe the command given, help.
    if (command->empty()) {
      std::cout << app.get_formatter()->make_help(&app, kProgramName, CLI::AppFormatMode::Normal);
      return;
    }
    const CLI::App* sub = commandNamed(app, *command);
    if (!sub)
      throw CommandFailure(kExitUsage, "unknown command '" + *command + "'; the commands are " + commandList(app));
    std::cout << sub->get_formatter()->make_help(sub, std::string(kProgramName) + " " + sub->get_name(),
                                                 CLI::AppFormatMode::Normal);
  });
}

}  // namespace

std::unique_ptr<CLI::App> makeCommandLine(const CorvaneWidgets& bundle, const WindowRunner& windows) {
  auto app = std::make_unique<CLI::App>("the Corvane desktop widget, its data and its host", kProgramName);
  app->require_subcommand(1);
  const std::string version = std::string(kProgramName) + " " + std::string(programVersion());
  app->set_version_flag("--version", version, "Print the program's version and exit");
  addDataCommands(*app);
  addViewCommands(*app, bundle);
  addRenderCommand(*app);
  addGalleryCommand(*app);
  addRunCommands(*app, windows);
  app->add_subcommand("version", "Print the program's version")->callback([version] { std::cout << version << '\n'; });
  addHelpCommand(*app);
  return app;
}

namespace {

// What a command printed must have reached its destination: output lost on
// a full disk or a broken pipe is a failure, not a success. Standard output
// is closed here, so a failure that only a close reports is seen too.
int outputChecked(int status) {
  errno = 0;
  std::cout.flush();
  const bool lost = !std::cout.good() || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  int err = errno;
  // A standard output closed from the start (>&-) that nothing was written
  // to is not a failure.
  const bool closeFailed = std::fclose(stdout) != 0 && errno != EBADF;
  if (!lost && !closeFailed) return status;
  if (closeFailed && !lost) err = errno;
  std::cerr << "corvane-widget: standard output: " << (err ? std::strerror(err) : "could not be written") << '\n';
  return status == kExitOk ? kExitUsage : status;
}

// The command a person gave, if one: its name leads its --help hint.
std::string givenCommand(const CLI::App& app) {
  const auto parsed = app.get_subcommands();
  return parsed.empty() ? std::string() : parsed.front()->get_name();
}

// One line, as every error of the program: what was wrong and where to read more.
int usageError(const CLI::App& app, const std::string& message) {
  const std::string command = givenCommand(app);
  std::cerr << "corvane-widget: " << message << "; see corvane-widget " << (command.empty() ? "" : command + " ")
            << "--help\n";
  return kExitUsage;
}

int parseAndRun(CLI::App& app, int argc, char** argv) {
  // A first word that is no option must be a command (the program itself
  // takes only --help and --version).
  if (argc < 2) return usageError(app, "a command is required: " + commandList(app));
  if (argv[1][0] != '-' && !commandNamed(app, argv[1]))
    return usageError(app, "unknown command '" + std::string(argv[1]) + "'; the commands are " + commandList(app));
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return usageError(app, e.what());
  } catch (const CommandFailure& f) {
    std::cerr << "corvane-widget: " << f.what() << '\n';
    return f.code;
  } catch (const std::exception& e) {
    std::cerr << "corvane-widget: " << e.what() << '\n';
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace

int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv, const WindowRunner& windows) {
  const std::unique_ptr<CLI::App> command = makeCommandLine(bundle, windows);
  return outputChecked(parseAndRun(*command, argc, argv));
}

}  // namespace corvane
