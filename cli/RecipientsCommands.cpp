#include "cli/RecipientsCommands.h"

#include "cli/StoreSession.h"
#include "commands/GroupSetupCommands.h"
#include "common/Text.h"
#include "store/RecipientInput.h"
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
    std::array<std::optional<std::string>, store::kRecipientTextFields> changes; // modify: the fields given
    std::string address;                                                         // modify: the recipient
    std::vector<std::string> addresses;
};

bool isAdditionalField(RecipientField field)
{
    return field == RecipientField::Field1 || field == RecipientField::Field2 || field == RecipientField::Field3 ||
           field == RecipientField::Field4;
}

// What the recipient dialog's boxes would not take: a space in the address, more characters than a
// box holds, a custom attachment path longer than its field.
bool acceptDialogInput(const store::RecipientRecord& record, Prompter& prompter)
{
    if (trimBlanks(record.emailAddress()).find(' ') != std::string_view::npos) {
        prompter.message(store::text::kSpacesIllegal, Icon::Exclamation);
        return false;
    }
    for (const auto& info : store::recipientFields()) {
        const auto& value = record.get(info.field);
        if (isAdditionalField(info.field)) {
            if (!store::acceptCustomAttachmentPath(value, prompter)) {
                return false;
            }
            continue;
        }
        const auto limit = info.field == RecipientField::Title ? static_cast<std::size_t>(store::kTitleTypedLength)
                                                               : static_cast<std::size_t>(info.size);
        if (countChars(value) > limit) {
            prompter.message("The " + std::string(info.label) + " box holds at most " + std::to_string(limit) +
                                 " characters.",
                             Icon::Exclamation);
            return false;
        }
    }
    return true;
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
    auto listed = file.readRecords(
        limit, columns, [&context](const std::vector<std::string_view>& values) { printRecord(context.out, values); });
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
    commands::GroupSetupCommands list(session.groups());
    list.setGroup(arguments.group);
    // The command line has no recipient list to keep up to date.
    list.setGroupsOnlyView(true);
    store::RecipientRecord record;
    record.fields = arguments.fields;
    if (!acceptDialogInput(record, *context.prompter)) {
        return kExitRefused;
    }
    return exitStatus(list.acceptRecipientDialog(record).outcome);
}

int modifyRecipient(CliContext& context, const RecipientsArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    commands::GroupSetupCommands list(session.groups());
    list.setGroup(arguments.group);
    list.setGroupsOnlyView(true);
    auto record = list.findRecipient(arguments.address);
    if (!record) {
        context.prompter->message(notInGroup(arguments.address), Icon::Exclamation);
        return kExitRefused;
    }
    for (std::size_t i = 0; i < arguments.changes.size(); ++i) {
        if (arguments.changes[i]) {
            record->fields[i] = *arguments.changes[i];
        }
    }
    if (!acceptDialogInput(*record, *context.prompter)) {
        return kExitRefused;
    }
    list.setModifying(arguments.address);
    return exitStatus(list.acceptRecipientDialog(*record).outcome);
}

int removeRecipients(CliContext& context, const RecipientsArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    commands::GroupSetupCommands list(session.groups());
    list.setGroup(arguments.group);
    // An address that is not there is most likely a typo: say so, and let a script know.
    std::vector<std::string> present;
    for (const auto& address : arguments.addresses) {
        if (list.findRecipient(address)) {
            present.push_back(address);
        } else {
            context.prompter->message(notInGroup(address), Icon::Exclamation);
        }
    }
    const int status = present.empty() ? kExitDone : exitStatus(list.removeRecipients(present));
    if (status == kExitDone && present.size() < arguments.addresses.size()) {
        return kExitRefused;
    }
    return status;
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

    auto* modify = recipients->add_subcommand("modify", "Change one recipient with the recipient dialog's checks");
    modify->add_option("GROUP", arguments->group)->required();
    modify->add_option("EMAIL", arguments->address, "The recipient's address now")->required();
    for (const auto& [field, option] : kFieldOptions) {
        modify->add_option(option, arguments->changes[static_cast<std::size_t>(field)],
                           std::string(store::recipientFieldInfo(field).label));
    }
    modify->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return modifyRecipient(context, *arguments); };
    });

    auto* remove = recipients->add_subcommand("remove", "Delete recipients by address, then compact");
    remove->add_option("GROUP", arguments->group)->required();
    remove->add_option("EMAIL", arguments->addresses)->required();
    remove->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return removeRecipients(context, *arguments); };
    });
}

} // namespace tidecast::cli
