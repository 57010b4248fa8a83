#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// groups list | add | rename | delete
void addGroupsCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
