#include "cli/PreviewCommands.h"

#include "cli/StoreSession.h"
#include "common/Clock.h"
#include "common/IdSource.h"
#include "common/Progress.h"
#include "common/Text.h"
#include "messages/MessageDocument.h"
#include "outgoing/GroupIdentity.h"
#include "outgoing/MessageBuilder.h"
#include "settings/SettingsStore.h"
#include "store/RecipientStore.h"
#include "store/StoreTexts.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace tidecast::cli
{

namespace
{

struct PreviewArguments
{
    std::string messageFile;
    std::string group;
    std::int64_t recipient = 1;
    bool bulk = false;
    std::optional<std::string> toText;
    std::vector<int> customAttachments;
    std::string outFile;
};

// Document priorities (0 high, 1 normal, 2 low) as the message's priority value.
int priorityValue(std::optional<int> documentPriority)
{
    if (documentPriority == messages::kHighPriority) {
        return 1;
    }
    if (documentPriority == messages::kLowPriority) {
        return 5;
    }
    return 3;
}

int refuse(CliContext& context, const std::string& text)
{
    context.prompter->message(text, Icon::Critical);
    return kExitRefused;
}

// Reads recipient number `number` (from 1) of the group's file.
Result<store::RecipientRecord> readRecipientNumber(const std::string& path, std::int64_t number)
{
    store::RecipientStore file;
    if (auto opened = file.open(path); !opened) {
        return opened.error();
    }
    if (auto first = file.moveFirst(); !first) {
        return first.error();
    }
    for (std::int64_t at = 1; at < number && !file.atEnd(); ++at) {
        if (auto next = file.moveNext(); !next) {
            return next.error();
        }
    }
    if (file.atEnd()) {
        return Error{ErrorCode::InvalidArgument, "The group has no recipient number " + std::to_string(number) + ".",
                     0};
    }
    return store::readRecipient(file);
}

int preview(CliContext& context, const PreviewArguments& arguments)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(arguments.messageFile, error)) {
        return refuse(context, "The message file \"" + arguments.messageFile + "\" does not exist.");
    }
    const messages::MessageDocument document = messages::ParseMessage(arguments.messageFile);
    const std::string group = arguments.group.empty() ? document.group : arguments.group;
    const settings::Settings settings = settings::LoadGeneralSettings(context.paths);

    outgoing::OutgoingMessage message;
    message.subject = document.subject;
    message.body = document.body;
    message.htmlPath = document.htmlPath;
    message.attachments = document.attachments;
    message.priority = priorityValue(document.priority);
    message.wrap = true; // every send wraps the text
    message.mode = arguments.bulk ? outgoing::SendMode::Bulk : outgoing::SendMode::Personal;
    message.bulkToText = arguments.toText.value_or(group);
    message.customAttachments = !arguments.customAttachments.empty();
    for (const int field : arguments.customAttachments) {
        if (field < 1 || field > 4) {
            return refuse(context, "--custom-attachments takes the field numbers 1 to 4.");
        }
        message.attachField[static_cast<std::size_t>(field - 1)] = true;
    }

    store::RecipientRecord recipient;
    StoreSession session(context);
    if (!arguments.bulk || !group.empty()) {
        if (group.empty() || group == messages::kNoGroupsConfigured) {
            return refuse(context, "The message names no group: give one with --group.");
        }
        if (!session.requireGroup(group)) {
            return kExitRefused;
        }
    }
    message.identity = group.empty()
                           ? outgoing::defaultIdentity(settings)
                           : outgoing::loadGroupIdentity(context.paths.dataDir, group, settings, *context.prompter);
    if (!arguments.bulk) {
        if (arguments.recipient < 1) {
            return refuse(context, "--recipient counts from 1.");
        }
        auto read = readRecipientNumber(session.groups().groupPath(group), arguments.recipient);
        if (!read) {
            if (read.error().code == ErrorCode::InvalidArgument) {
                return refuse(context, read.error().detail);
            }
            return refuse(context, store::text::notValidGroup(group));
        }
        recipient = std::move(*read);
    }

    SystemClock clock;
    SystemIdSource ids;
    auto builder = outgoing::MessageBuilder::create(std::move(message), settings, clock, ids);
    if (!builder) {
        return refuse(context, builder.error().detail);
    }
    NullProgress progress;
    auto text = builder->buildMessage(recipient, progress);
    if (!text) {
        return refuse(context, text.error().detail);
    }
    if (arguments.outFile.empty()) {
        context.out << *text;
    } else if (!writeWholeFile(arguments.outFile, *text)) {
        context.prompter->message("Cannot write \"" + arguments.outFile + "\".", Icon::Critical);
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace

void addPreviewCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<PreviewArguments>();
    auto* command = app.add_subcommand("preview", "Print the complete message as it would be sent");
    command->add_option("--message", arguments->messageFile, "Message document (.tcx)")->required();
    command->add_option("--group", arguments->group, "Group (default: the document's group)");
    command->add_option("--recipient", arguments->recipient, "Recipient number in the group, from 1");
    auto* bulk = command->add_flag("--bulk", arguments->bulk, "The bulk message");
    command->add_option("--to", arguments->toText, "Bulk mode: the To text (default: the group's name)")->needs(bulk);
    command
        ->add_option("--custom-attachments", arguments->customAttachments,
                     "Attach the files named by these Additional Fields (1,2,3,4)")
        ->delimiter(',');
    command->add_option("--out", arguments->outFile, "Write the message into this file");
    command->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return preview(context, *arguments); }; });
}

} // namespace tidecast::cli
