#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// exclusion list | add | remove
void addExclusionCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
