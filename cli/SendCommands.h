#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// `send`: a whole mailing with the settings of "ej.dat".
void addSendCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
