#pragma once

#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>

namespace tidecast::cli
{

// `dkim-record`: the DNS TXT record of the configured DKIM key, for the person to publish.
void addDkimCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
