#include "cli/PreviewCommands.h"

#include "cli/MailingPreparation.h"
#include "common/Clock.h"
#include "common/IdSource.h"
#include "common/Progress.h"
#include "common/Text.h"
#include "mailing/Mailing.h"
#include "outgoing/MessageBuilder.h"
#include "store/GroupNames.h"
#include "store/RecipientStore.h"
#include "store/StoreTexts.h"

#include <memory>
#include <string>

namespace tidecast::cli
{

namespace
{

struct PreviewArguments
{
    MailingArguments mailing;
    std::int64_t recipient = 1;
    std::string outFile;
};

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
    // Through the send command and the send options, as the mailing itself would go.
    int status = kExitRefused;
    auto prepared = prepareMailing(context, arguments.mailing, MailingPurpose::Preview, status);
    if (!prepared) {
        return status;
    }
    const auto& setup = prepared->setup;
    store::RecipientRecord recipient;
    if (!setup.options.bulkMode) {
        if (arguments.recipient < 1) {
            return refuse(context, "--recipient counts from 1.");
        }
        const auto groupFile = setup.dataDir / (setup.options.groupName + std::string(store::kGroupExtension));
        auto read = readRecipientNumber(groupFile.string(), arguments.recipient);
        if (!read) {
            if (read.error().code == ErrorCode::InvalidArgument) {
                return refuse(context, read.error().detail);
            }
            return refuse(context, store::text::notValidGroup(setup.options.groupName));
        }
        recipient = std::move(*read);
    }

    SystemClock clock;
    SystemIdSource ids;
    auto builder = outgoing::MessageBuilder::create(mailing::outgoingMessage(setup.message, setup.options),
                                                    setup.settings, clock, ids);
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
    command->add_option("--message", arguments->mailing.messageFile, "Message document (.tcx)")->required();
    command->add_option("--group", arguments->mailing.group, "Group (default: the document's group)");
    command->add_option("--recipient", arguments->recipient, "Recipient number in the group, from 1");
    auto* bulk = command->add_flag("--bulk", arguments->mailing.bulk, "The bulk message");
    command->add_option("--to", arguments->mailing.toText, "Bulk mode: the To text (default: the group's name)")
        ->needs(bulk);
    command->add_option("--custom-attachments", arguments->mailing.customAttachments,
                        "Attach the files named by these Additional Fields (1,2,3,4)");
    command->add_option("--out", arguments->outFile, "Write the message into this file");
    command->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return preview(context, *arguments); }; });
}

} // namespace tidecast::cli
