#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// preview: the complete Internet message for one recipient of a group, or the bulk message.
void addPreviewCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
