#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// harvest
void addTransferCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
