#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <functional>

namespace tidecast::cli
{

// A command sets this to the work it runs once the arguments are parsed.
using CommandAction = std::function<int(CliContext&)>;

void addSettingsCommands(CLI::App& app, CommandAction& action);

} // namespace tidecast::cli
