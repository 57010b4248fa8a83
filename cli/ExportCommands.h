#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// export (GROUP | --exclusion) OUT --fields ...
void addExportCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
