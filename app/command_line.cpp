#include "app/command_line.hpp"

#include <CLI/CLI.hpp>

#include <iostream>

#include "app/data_commands.hpp"
#include "app/exit_codes.hpp"
#include "app/render_command.hpp"
#include "app/run_command.hpp"
#include "app/view_commands.hpp"

namespace corvane {

int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv, const WindowRunner& windows) {
  CLI::App app{"corvane-widget: the Corvane desktop widget, its data and its host"};
  app.require_subcommand(1);
  addDataCommands(app);
  addViewCommands(app, bundle);
  addRenderCommand(app);
  addGalleryCommand(app);
  addRunCommands(app, windows);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
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
