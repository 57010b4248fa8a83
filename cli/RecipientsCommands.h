#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// recipients list | add | remove
void addRecipientsCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
