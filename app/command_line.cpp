#include "app/command_line.hpp"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

int parseAndRun(CLI::App& app, int argc, char** argv) {
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

}  // namespace

int runCommandLine(const CorvaneWidgets& bundle, int argc, char** argv, const WindowRunner& windows) {
  const std::unique_ptr<CLI::App> command = makeCommandLine(bundle, windows);
  return outputChecked(parseAndRun(*command, argc, argv));
}

}  // namespace corvane
