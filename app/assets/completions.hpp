#pragma once
// Shell completions for a command line: its subcommands, their options and
// the values an option lists; any other value, and a positional argument,
// completes as a file name.

#include <string>

#include "app/assets/cli_reference.hpp"

namespace corvane {

// For bash-completion's folder: defines a completion function and `complete`s
// the program with it.
std::string bashCompletion(const CommandReference& command);
// For a folder in zsh's $fpath, named _PROGRAM (#compdef).
std::string zshCompletion(const CommandReference& command);
// For fish's vendor_completions.d, named PROGRAM.fish.
std::string fishCompletion(const CommandReference& command);

}  // namespace corvane
