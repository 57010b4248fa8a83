#include "cli/RecipientsCommands.h"

#include "cli/StoreSession.h"
#include "store/RecipientList.h"
#include "store/StoreTexts.h"

#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::cli
{

namespace
{

using store::RecipientField;

// The option of each field, in the order of the file layout.
constexpr std::array<std::pair<RecipientField, const char*>, store::kRecipientTextFields> kFieldOptions = {{
    {RecipientField::Title, "--title"},         {RecipientField::FirstName, "--first"},
    {RecipientField::LastName, "--last"},       {RecipientField::EmailAddress, "--email"},
    {RecipientField::Initial, "--initial"},     {RecipientField::Address1, "--address1"},
    {RecipientField::Address2, "--address2"},   {RecipientField::City, "--city"},
    {RecipientField::State, "--state"},         {RecipientField::Zip, "--zip"},
    {RecipientField::Country, "--country"},     {RecipientField::Company, "--company"},
    {RecipientField::JobTitle, "--job-title"},  {RecipientField::Web, "--web"},
    {RecipientField::Telephone, "--telephone"}, {RecipientField::Fax, "--fax"},
    {RecipientField::Field1, "--field1"},       {RecipientField::Field2, "--field2"},
    {RecipientField::Field3, "--field3"},       {RecipientField::Field4, "--field4"},
}};

struct RecipientsArguments
{
    std::string group;
    std::optional<std::int64_t> limit;
    std::array<std::string, store::kRecipientTextFields> fields;
    std::vector<std::string> addresses;
};

// One value per column: tabs and line breaks inside a value would break the line format.
std::string columnValue(std::string_view value)
{
    std::string out(value);
    for (char& c : out) {
        if (c == '\t' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

int listRecipients(CliContext& context, const RecipientsArguments& arguments)
{
    StoreSession session(context);
    auto& groups = session.groups();
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    store::RecipientStore file;
    auto failed = [&context](const Error& error) {
        context.prompter->message(store::text::procedureError("LoadDBUsers: ", error), Icon::Critical);
        return int(kExitFailed);
    };
    if (auto opened = file.open(groups.groupPath(arguments.group)); !opened) {
        context.prompter->message(store::text::notValidGroup(arguments.group), Icon::Critical);
        return kExitRefused;
    }
    // One sequential pass: a group of a million is listed in seconds, not minutes.
    std::vector<int> columns;
    for (int i = 0; i < static_cast<int>(file.fields().size()); ++i) {
        columns.push_back(i);
    }
    const auto limit = arguments.limit.value_or(std::numeric_limits<std::int64_t>::max());
    auto listed = file.readRecords(limit, columns, [&context](const std::vector<std::string_view>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            context.out << (i == 0 ? "" : "\t") << columnValue(values[i]);
        }
        context.out << '\n';
    });
    if (!listed) {
        return failed(listed.error());
    }
    return kExitDone;
}

int addRecipient(CliContext& context, const RecipientsArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    store::RecipientList list(session.groups());
    list.setGroup(arguments.group);
    // The command line has no recipient list to keep up to date.
    list.setGroupsOnlyView(true);
    store::RecipientRecord record;
    record.fields = arguments.fields;
    return exitStatus(list.acceptRecipientDialog(record).outcome);
}

int removeRecipients(CliContext& context, const RecipientsArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    store::RecipientList list(session.groups());
    list.setGroup(arguments.group);
    return exitStatus(list.removeRecipients(arguments.addresses));
}

} // namespace

void addRecipientsCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<RecipientsArguments>();
    auto* recipients = app.add_subcommand("recipients", "List, add and remove a group's recipients");
    recipients->require_subcommand(1);

    auto* list = recipients->add_subcommand("list", "The twenty fields and the date added, in file order");
    list->add_option("GROUP", arguments->group)->required();
    list->add_option("--limit", arguments->limit, "At most this many recipients")->check(CLI::NonNegativeNumber);
    list->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return listRecipients(context, *arguments); };
    });

    auto* add = recipients->add_subcommand("add", "Add one recipient with the recipient dialog's checks");
    add->add_option("GROUP", arguments->group)->required();
    for (const auto& [field, option] : kFieldOptions) {
        auto* added = add->add_option(option, arguments->fields[static_cast<std::size_t>(field)],
                                      std::string(store::recipientFieldInfo(field).label));
        if (field == RecipientField::EmailAddress) {
            added->required();
        }
    }
    add->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return addRecipient(context, *arguments); };
    });

    auto* remove = recipients->add_subcommand("remove", "Delete recipients by address, then compact");
    remove->add_option("GROUP", arguments->group)->required();
    remove->add_option("EMAIL", arguments->addresses)->required();
    remove->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return removeRecipients(context, *arguments); };
    });
}

} // namespace tidecast::cli
