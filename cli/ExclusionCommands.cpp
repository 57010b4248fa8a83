#include "cli/ExclusionCommands.h"

#include "cli/SignalStop.h"
#include "cli/StoreSession.h"
#include "cli/TransferCommands.h"
#include "common/StatusSink.h"
#include "common/Text.h"
#include "store/GroupNames.h"
#include "store/StoreTexts.h"
#include "transfer/ExclusionEditor.h"
#include "transfer/ExclusionImport.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tidecast::cli
{

namespace
{

constexpr std::string_view kLoadTag = "LoadExclusionList: ";
constexpr std::string_view kSaveTag = "SaveExclusionList: ";

struct ExclusionArguments
{
    std::string emailAddress;
    std::string group{store::kAllGroups};
    std::string source;
    std::vector<std::string> filters;
};

// Nothing but the final counts are printed.
class QuietImportProgress final : public transfer::ImportProgress
{
public:
    void setLabel(std::string_view) override {}
    void setMaximum(std::int64_t) override {}
    void setValue(std::int64_t) override {}
    void setCounts(const transfer::ImportCounts&) override {}
};

int reportFailure(CliContext& context, std::string_view tag, const Error& error, int status)
{
    context.prompter->message(store::text::procedureError(tag, error), Icon::Critical);
    return status;
}

// The group as the Add dialog offers it: "All Groups" or a listed group with a file. Returns the
// choice's own spelling, or nothing after reporting the group as gone.
std::optional<std::string> chosenGroup(CliContext& context, const std::string& group)
{
    StoreSession session(context);
    auto& groups = session.groups();
    groups.loadGroups();
    std::vector<std::string> listed;
    for (const auto& row : groups.rows()) {
        listed.push_back(row.name);
    }
    const auto choices = transfer::ExclusionEditor::groupChoices(listed, context.paths.dataDir);
    const auto found = std::find_if(choices.begin(), choices.end(),
                                    [&group](const std::string& choice) { return equalsIgnoreCase(choice, group); });
    if (found == choices.end()) {
        groups.reportMissingGroup();
        return std::nullopt;
    }
    return *found;
}

int listExclusions(CliContext& context)
{
    transfer::ExclusionEditor editor(context.paths.dataDir, *context.prompter);
    if (auto loaded = editor.load(); !loaded) {
        return reportFailure(context, kLoadTag, loaded.error(), kExitFailed);
    }
    for (const auto& entry : editor.list().entries()) {
        context.out << entry.emailAddress << '\t' << entry.group << '\n';
    }
    return kExitDone;
}

int addExclusion(CliContext& context, const ExclusionArguments& arguments)
{
    const auto group = chosenGroup(context, arguments.group);
    if (!group) {
        return kExitRefused;
    }
    transfer::ExclusionEditor editor(context.paths.dataDir, *context.prompter);
    if (auto loaded = editor.load(); !loaded) {
        return reportFailure(context, kLoadTag, loaded.error(), kExitRefused);
    }
    if (editor.add(arguments.emailAddress, *group) != transfer::ExclusionEditor::AddOutcome::Added) {
        return kExitRefused;
    }
    if (auto saved = editor.save(); !saved) {
        return reportFailure(context, kSaveTag, saved.error(), kExitFailed);
    }
    return kExitDone;
}

int removeExclusion(CliContext& context, const ExclusionArguments& arguments)
{
    transfer::ExclusionEditor editor(context.paths.dataDir, *context.prompter);
    if (auto loaded = editor.load(); !loaded) {
        return reportFailure(context, kLoadTag, loaded.error(), kExitRefused);
    }
    if (editor.list().remove(arguments.emailAddress, arguments.group) == 0) {
        context.prompter->message(arguments.emailAddress + " is not on the exclusion list for " + arguments.group,
                                  Icon::Exclamation);
        return kExitRefused;
    }
    if (auto saved = editor.save(); !saved) {
        return reportFailure(context, kSaveTag, saved.error(), kExitFailed);
    }
    return kExitDone;
}

// Harvests the source into the list for the group and writes the list at once, with the backup.
// Ctrl-C acts as Stop: what was found before it is kept, as the window's list keeps it.
int importExclusions(CliContext& context, const ExclusionArguments& arguments)
{
    const auto group = chosenGroup(context, arguments.group);
    if (!group) {
        return kExitRefused;
    }
    transfer::ExclusionImportRequest request;
    if (arguments.source == "-") {
        request.source.clipboard =
            std::string(std::istreambuf_iterator<char>(context.in), std::istreambuf_iterator<char>());
    } else {
        request.source.file = arguments.source;
    }
    request.group = *group;
    request.filters = arguments.filters;
    if (!transfer::checkExclusionImportStart(request, *context.prompter)) {
        return kExitRefused;
    }
    transfer::ExclusionEditor editor(context.paths.dataDir, *context.prompter);
    if (auto loaded = editor.load(); !loaded) {
        return reportFailure(context, kLoadTag, loaded.error(), kExitRefused);
    }
    SignalStop stopOnSignals;
    QuietImportProgress progress;
    NullStatusSink status;
    auto result = transfer::runExclusionImport(editor.list(), request, progress, status, *context.prompter,
                                               stopOnSignals.token());
    if (result.summary.refused) {
        return kExitRefused;
    }
    for (auto& entry : result.added) {
        editor.list().add(std::move(entry.emailAddress), std::move(entry.group));
    }
    if (!result.added.empty()) {
        if (auto saved = editor.save(); !saved) {
            return reportFailure(context, kSaveTag, saved.error(), kExitFailed);
        }
    }
    return reportImportSummary(context, result.summary);
}

} // namespace

void addExclusionCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<ExclusionArguments>();
    auto* exclusion = app.add_subcommand("exclusion", "The addresses never to be mailed");
    exclusion->require_subcommand(1);

    auto* list = exclusion->add_subcommand("list", "Address and group of every entry, in file order");
    list->callback([&action] { action = [](CliContext& context) { return listExclusions(context); }; });

    auto* add = exclusion->add_subcommand("add", "Exclude an address from one group or from all groups");
    add->add_option("EMAIL", arguments->emailAddress)->required();
    add->add_option("--group", arguments->group, "The group (default \"All Groups\")");
    add->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return addExclusion(context, *arguments); };
    });

    auto* remove = exclusion->add_subcommand("remove", "Remove the entry for an address and group");
    remove->add_option("EMAIL", arguments->emailAddress)->required();
    remove->add_option("--group", arguments->group, "The group (default \"All Groups\")");
    remove->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return removeExclusion(context, *arguments); };
    });

    auto* importCommand = exclusion->add_subcommand("import", "Exclude every address found in a file or stdin");
    importCommand->add_option("SOURCE", arguments->source, "File to harvest, or - for stdin")->required();
    importCommand->add_option("--group", arguments->group, "The group (default \"All Groups\")");
    importCommand->add_option("--filter", arguments->filters, "A filter rule in its text form");
    importCommand->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return importExclusions(context, *arguments); };
    });
}

} // namespace tidecast::cli
