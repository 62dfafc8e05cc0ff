#pragma once
// The command line as data: every subcommand and option with what `--help`
// says of it, read from the CLI::App itself. The manual page and the shell
// completions are written from this, so they list what the program takes.
// Only the walk (cli_reference.cpp) reads CLI11's header, which is slow to
// compile: the writers do not need it.

#include <string>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace corvane {

struct OptionReference {
  std::vector<std::string> names;    // short names first: "-h", "--help"
  std::string valueName;             // what --help calls the value ("TEXT", "FLOAT"); empty for a flag
  std::vector<std::string> choices;  // the values it takes, when its check lists them
  std::string defaultValue;          // as --help shows it; empty when none is shown
  std::string description;
  bool repeatable = false;  // given more than once, each adds a value

  bool takesValue() const { return !valueName.empty(); }
  // The long name without its dashes ("family"), else the short one.
  std::string bareName() const;
};

struct PositionalReference {
  std::string name;  // "FILE"
  std::string description;
  bool required = false;
};

struct CommandReference {
  std::string name;
  std::string description;
  std::vector<OptionReference> options;
  std::vector<PositionalReference> positionals;
  std::vector<CommandReference> subcommands;
};

// What `app` and its subcommands take, in the order --help lists them;
// options and subcommands hidden from --help are left out.
CommandReference describeCommandLine(const CLI::App& app);

}  // namespace corvane
