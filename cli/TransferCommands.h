#pragma once

#include "cli/SettingsCommands.h"
#include "transfer/ImportEngine.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// harvest
void addTransferCommands(CLI::App& app, CommandAction& action);

// Prints an import's four counters, one per line, and returns the exit status for its ending.
int reportImportSummary(CliContext& context, const transfer::ImportSummary& summary);

} // namespace tidecast::cli
