#pragma once
// Subcommands about the snapshot data: check, where, timeline.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "data/records.hpp"

namespace corvane {

void addDataCommands(CLI::App& app);

// Reads FILE (or standard input for "-") and decodes it strictly. Unreadable:
// CommandFailure with kExitUsage; invalid: CommandFailure with kExitInvalid.
Snapshot readSnapshotArgument(const std::string& file);

}  // namespace corvane
