#include "cli/ExclusionCommands.h"

#include "cli/StoreSession.h"
#include "common/Text.h"
#include "store/GroupNames.h"
#include "store/StoreTexts.h"
#include "transfer/ExclusionEditor.h"

#include <algorithm>
#include <memory>
#include <string>

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
}

} // namespace tidecast::cli
