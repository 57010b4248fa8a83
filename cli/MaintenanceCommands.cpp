#include "cli/MaintenanceCommands.h"

#include "cli/SignalStop.h"
#include "cli/StoreSession.h"
#include "commands/GroupMaintenance.h"
#include "commands/RecipientSearch.h"
#include "commands/RecipientTransfer.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tidecast::cli
{

namespace
{

using store::CommandOutcome;
using store::FindOperator;

struct MaintenanceArguments
{
    std::string group;
    std::string destination;
    std::string field;
    std::string comparison;
    std::string value;
    std::vector<std::string> addresses;
    bool overwrite = false;
};

constexpr std::array<std::pair<std::string_view, FindOperator>, 4> kComparisonWords = {{
    {"equals", FindOperator::Equals},
    {"contains", FindOperator::HasLike},
    {"starts", FindOperator::StartsLike},
    {"ends", FindOperator::EndsLike},
}};

std::optional<std::string> fieldOrUsage(CliContext& context, std::string_view label)
{
    auto field = commands::searchFieldName(label);
    if (!field) {
        context.err << "error: not a field label: " << label << '\n';
    }
    return field;
}

int searchRecipients(CliContext& context, const MaintenanceArguments& arguments)
{
    const auto field = fieldOrUsage(context, arguments.field);
    if (!field) {
        return kExitUsage;
    }
    std::optional<FindOperator> comparison;
    for (const auto& [word, op] : kComparisonWords) {
        comparison = word == arguments.comparison ? std::optional(op) : comparison;
    }
    if (!comparison) {
        context.err << "error: the comparison is one of equals, contains, starts, ends: " << arguments.comparison
                    << '\n';
        return kExitUsage;
    }
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    commands::RecipientSearch search(context.paths.dataDir, *context.prompter);
    std::vector<std::string_view> values;
    const auto result = search.run({arguments.group, *field, *comparison, arguments.value},
                                   [&context, &values](const store::RecipientStore& match) {
                                       values.assign(match.fields().size(), {});
                                       for (std::size_t i = 0; i < values.size(); ++i) {
                                           values[i] = match.field(static_cast<int>(i));
                                       }
                                       printRecord(context.out, values);
                                   });
    return exitStatus(result.outcome);
}

int transferRecipients(CliContext& context, const MaintenanceArguments& arguments, commands::TransferMode mode)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group) || !session.requireGroup(arguments.destination)) {
        return kExitRefused;
    }
    SignalStop stopOnSignals;
    commands::RecipientTransfer transfer(
        commands::maintenanceContext(session.groups()),
        {mode, arguments.group, arguments.destination, arguments.addresses, arguments.overwrite});
    const auto summary = transfer.run(stopOnSignals.token());
    for (const auto& address : summary.notFound) {
        context.prompter->message(notInGroup(address), Icon::Exclamation);
    }
    // An address that is not in the source is most likely a typo: let a script know.
    if (summary.outcome == CommandOutcome::Done && !summary.notFound.empty()) {
        return kExitRefused;
    }
    return exitStatus(summary.outcome);
}

int sortGroup(CliContext& context, const MaintenanceArguments& arguments)
{
    StoreSession session(context);
    commands::GroupMaintenance maintenance(commands::maintenanceContext(session.groups()));
    if (maintenance.refusesSort()) {
        return kExitRefused;
    }
    const auto field = fieldOrUsage(context, arguments.field);
    if (!field) {
        return kExitUsage;
    }
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    return exitStatus(maintenance.sortGroups({arguments.group}, *field));
}

int repairGroup(CliContext& context, const MaintenanceArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    SignalStop stopOnSignals;
    commands::GroupMaintenance maintenance(commands::maintenanceContext(session.groups()));
    return exitStatus(maintenance.repairGroup(arguments.group, stopOnSignals.token()));
}

} // namespace

void addMaintenanceCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<MaintenanceArguments>();

    auto* search = app.add_subcommand("search", "Print the recipients of a group whose field matches a value");
    search->add_option("GROUP", arguments->group)->required();
    search->add_option("FIELD", arguments->field, "A field label, such as \"Email Address\"")->required();
    search->add_option("OP", arguments->comparison, "equals, contains, starts or ends")->required();
    search->add_option("VALUE", arguments->value)->required();
    search->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return searchRecipients(context, *arguments); };
    });

    for (const auto mode : {commands::TransferMode::Copy, commands::TransferMode::Move}) {
        const bool move = mode == commands::TransferMode::Move;
        auto* command = app.add_subcommand(move ? "move" : "copy", move ? "Move recipients to another group"
                                                                        : "Copy recipients to another group");
        command->add_option("SRC", arguments->group)->required();
        command->add_option("DST", arguments->destination)->required();
        command->add_option("EMAIL", arguments->addresses)->required();
        command->add_flag("--overwrite", arguments->overwrite, "Overwrite recipients already there without asking");
        command->callback([arguments, &action, mode] {
            action = [arguments, mode](CliContext& context) { return transferRecipients(context, *arguments, mode); };
        });
    }

    auto* sort = app.add_subcommand("sort", "Order a group's records by a field");
    sort->add_option("GROUP", arguments->group)->required();
    sort->add_option("LABEL", arguments->field, "A field label, \"Date Added\" included")->required();
    sort->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return sortGroup(context, *arguments); }; });

    auto* repair = app.add_subcommand("repair", "Delete the records without a usable address and report");
    repair->add_option("GROUP", arguments->group)->required();
    repair->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return repairGroup(context, *arguments); };
    });
}

} // namespace tidecast::cli
