#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// search | copy | move | sort | repair
void addMaintenanceCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
