#include "app/command_line.hpp"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "app/data_commands.hpp"
#include "app/exit_codes.hpp"
#include "app/render_command.hpp"
#include "app/run_command.hpp"
#include "app/version.hpp"
#include "app/view_commands.hpp"

namespace corvane {

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
  return app;
}

int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv, const WindowRunner& windows) {
  const std::unique_ptr<CLI::App> command = makeCommandLine(bundle, windows);
  CLI::App& app = *command;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);  // prints the reason and the usage on stderr
    return kExitUsage;
  } catch (const CommandFailure& f) {
    std::cerr << "corvane-widget: " << f.what() << '\n';
    return f.code;
  } catch (const std::exception& e) {
    std::cerr << "corvane-widget: " << e.what() << '\n';
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace corvane
