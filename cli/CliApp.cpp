#include "cli/CliApp.h"

#include "cli/CliContext.h"
#include "cli/DkimCommands.h"
#include "cli/ExclusionCommands.h"
#include "cli/ExportCommands.h"
#include "cli/GroupsCommands.h"
#include "cli/MaintenanceCommands.h"
#include "cli/PreviewCommands.h"
#include "cli/RecipientsCommands.h"
#include "cli/SendCommands.h"
#include "cli/SettingsCommands.h"
#include "cli/TransferCommands.h"
#include "common/DataFolderLock.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace tidecast::cli
{

namespace
{

// The commands that only read the data folder; every other one writes and takes its lock.
const std::set<std::string> kReadingCommands = {"groups list",   "recipients list", "settings get",
                                                "settings list", "preview",         "harvest",
                                                "dkim-record",   "search",          "exclusion list"};

// "recipients add", say: the chosen command and its chosen subcommand.
std::string chosenCommand(const CLI::App& app)
{
    std::string name;
    const CLI::App* level = &app;
    while (level != nullptr) {
        const auto chosen = level->get_subcommands();
        if (chosen.empty()) {
            break;
        }
        level = chosen.front();
        name += (name.empty() ? "" : " ") + level->get_name();
    }
    return name;
}

} // namespace

int runCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err, bool interactive)
{
    CLI::App app{"Tidecast: mail groups of recipients from the command line", "tidecast-cli"};
    app.require_subcommand(0, 1);

    std::string dataDir;
    bool assumeYes = false;
    bool quiet = false;
    bool version = false;
    app.add_option("--data-dir", dataDir, "Data folder");
    app.add_flag("--yes", assumeYes, "Answer Yes to every question");
    app.add_flag("--quiet", quiet, "Print nothing but the final summary");
    app.add_flag("--version", version, "Print the version");

    CommandAction action;
    addSettingsCommands(app, action);
    addSendCommands(app, action);
    addGroupsCommands(app, action);
    addRecipientsCommands(app, action);
    addMaintenanceCommands(app, action);
    addPreviewCommands(app, action);
    addTransferCommands(app, action);
    addDkimCommands(app, action);
    addExclusionCommands(app, action);
    addExportCommands(app, action);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        out << app.help();
        return kExitDone;
    } catch (const CLI::ParseError& e) {
        err << "error: " << e.what() << '\n';
        return kExitUsage;
    }

    if (version) {
        out << "tidecast-cli " << TIDECAST_VERSION << '\n';
        return kExitDone;
    }
    if (!action) {
        err << app.help();
        return kExitUsage;
    }

    std::optional<std::filesystem::path> given;
    if (!dataDir.empty()) {
        given = dataDir;
    }
    std::error_code ec;
    const auto programDir = std::filesystem::canonical("/proc/self/exe", ec).parent_path();
    CliContext context{
        in, out, err, {settings::resolveDataDir(given, programDir), settings::resolveConfigDir()}, {}, {}, {}, {}, {}};
    context.assumeYes = assumeYes;
    context.quiet = quiet;
    context.interactive = interactive;
    context.errIsTerminal = interactive && !quiet;
    context.prompter = std::make_unique<CliPrompter>(err, in, assumeYes, interactive);

    // One writer per data folder: a second one is refused at once, before it reads anything.
    DataFolderLock lock(context.paths.dataDir, "tidecast-cli");
    if (!kReadingCommands.contains(chosenCommand(app)) && !lock.tryLock()) {
        err << "error: " << lock.refusal() << '\n';
        return kExitRefused;
    }
    const int status = action(context);
    if (status == kExitRefused && context.prompter->lastQuestionDeclined()) {
        return kExitStopped;
    }
    return status;
}

} // namespace tidecast::cli
