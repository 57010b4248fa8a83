#include "cli/GroupsCommands.h"

#include "cli/StoreSession.h"
#include "common/Text.h"

#include <memory>
#include <optional>
#include <string>

namespace tidecast::cli
{

namespace
{

struct GroupsArguments
{
    std::string name;
    std::string newName;
    std::optional<std::string> senderName;
    std::optional<std::string> senderEmail;
    std::optional<std::string> replyTo;
    std::optional<std::string> organisation;
    std::optional<std::string> signatureFile;
    bool cleanExclusions = false;
};

int addGroup(CliContext& context, const GroupsArguments& arguments)
{
    store::GroupDetails details;
    details.useDefault = !arguments.senderName && !arguments.senderEmail && !arguments.replyTo &&
                         !arguments.organisation && !arguments.signatureFile;
    details.senderName = arguments.senderName.value_or("");
    details.senderEmail = arguments.senderEmail.value_or("");
    details.replyTo = arguments.replyTo.value_or("");
    details.organisation = arguments.organisation.value_or("");
    if (arguments.signatureFile) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(*arguments.signatureFile, ec)) {
            context.err << "error: Cannot read the signature file " << *arguments.signatureFile << '\n';
            return kExitRefused;
        }
        // The details file keeps CR LF line ends whatever the signature file has.
        std::string signature;
        for (const auto& line : splitLines(toUtf8(readWholeFile(*arguments.signatureFile)))) {
            signature += line;
            signature += kCrLf;
        }
        details.signature = std::string(trimWhitespace(signature));
    }
    StoreSession session(context);
    auto& groups = session.groups();
    groups.loadGroups();
    groups.beginAddGroup();
    const auto result = groups.acceptGroupDialog("", arguments.name, details);
    if (!result.accepted()) {
        return exitStatus(result.outcome);
    }
    groups.finishAddGroup();
    return kExitDone;
}

int renameGroup(CliContext& context, const GroupsArguments& arguments)
{
    StoreSession session(context);
    auto& groups = session.groups();
    if (!session.requireGroup(arguments.name)) {
        return kExitRefused;
    }
    if (!groups.beginModifyGroup(arguments.name)) {
        return kExitRefused;
    }
    const auto details = store::parseGroupDetails(groups.detailsFile(arguments.name));
    const auto result = groups.acceptGroupDialog(arguments.name, arguments.newName, details);
    if (!result.accepted()) {
        return exitStatus(result.outcome);
    }
    groups.finishModifyGroup();
    return kExitDone;
}

int deleteGroup(CliContext& context, const GroupsArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.name)) {
        return kExitRefused;
    }
    return exitStatus(session.groups().deleteGroup(
        arguments.name, arguments.cleanExclusions ? store::ExclusionCleanup::Yes : store::ExclusionCleanup::No));
}

} // namespace

void addGroupsCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<GroupsArguments>();
    auto* groupsCommand = app.add_subcommand("groups", "List, add, rename and delete groups");
    groupsCommand->require_subcommand(1);

    auto* list = groupsCommand->add_subcommand("list", "One line per group: name, tab, record count");
    list->callback([&action] {
        action = [](CliContext& context) {
            StoreSession session(context);
            for (const auto& row : session.groups().loadGroups()) {
                context.out << row.name << '\t' << row.count << '\n';
            }
            return int(kExitDone);
        };
    });

    auto* add = groupsCommand->add_subcommand("add", "Add a group (own identity when any sender option is given)");
    add->add_option("NAME", arguments->name)->required();
    add->add_option("--sender-name", arguments->senderName, "Sender name");
    add->add_option("--sender-email", arguments->senderEmail, "Sender e-mail address");
    add->add_option("--reply-to", arguments->replyTo, "Reply-to address");
    add->add_option("--organisation", arguments->organisation, "Organisation");
    add->add_option("--signature-file", arguments->signatureFile, "File holding the signature");
    add->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return addGroup(context, *arguments); }; });

    auto* rename = groupsCommand->add_subcommand("rename", "Rename a group");
    rename->add_option("OLD", arguments->name)->required();
    rename->add_option("NEW", arguments->newName)->required();
    rename->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return renameGroup(context, *arguments); };
    });

    auto* remove = groupsCommand->add_subcommand("delete", "Delete a group and its details");
    remove->add_option("NAME", arguments->name)->required();
    remove->add_flag("--clean-exclusions", arguments->cleanExclusions,
                     "Also remove the group's entries from the exclusion list");
    remove->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return deleteGroup(context, *arguments); };
    });
}

} // namespace tidecast::cli
