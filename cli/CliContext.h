#pragma once

#include "cli/CliPrompter.h"
#include "settings/SettingsPaths.h"

#include <istream>
#include <memory>
#include <ostream>

namespace tidecast::cli
{

// Exit statuses of tidecast-cli; scripts depend on them.
enum ExitStatus : int
{
    kExitDone = 0,
    kExitUsage = 1,
    kExitRefused = 2, // refused or failed before any work
    kExitStopped = 3, // stopped by the user or by a question answered No
    kExitFailed = 4,  // ended by an error part-way
    kExitPartly = 5,  // completed, but some recipients failed
};

// What every command gets: the streams, the data folder and the prompter.
struct CliContext
{
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    settings::SettingsPaths paths;
    bool assumeYes = false;
    bool quiet = false;
    bool interactive = false;   // stdin is a terminal
    bool errIsTerminal = false; // draw progress bars
    std::unique_ptr<CliPrompter> prompter;
};

} // namespace tidecast::cli
