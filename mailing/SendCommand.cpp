#include "mailing/SendCommand.h"

#include "common/Text.h"
#include "mailing/SendTexts.h"
#include "store/GroupNames.h"
#include "store/RecipientStore.h"

namespace tidecast::mailing
{

namespace
{

constexpr int kDefaultPort = 25;
constexpr int kDefaultTimeout = 30;
constexpr int kDefaultWrapWidth = 70;

// Yes goes on; No puts the focus in the box and stops; Cancel stops.
bool confirmEmpty(std::string_view question, SendFocus focus, SendCommandHost& host, Prompter& prompter)
{
    switch (prompter.ask(question, Buttons::YesNoCancel, Icon::Question, Answer::No)) {
    case Answer::Yes:
        return true;
    case Answer::No:
        host.setFocus(focus);
        return false;
    default:
        return false;
    }
}

} // namespace

outgoing::ComposedMessage composedMessage(const messages::MessageDocument& document)
{
    return {document.subject, document.body, document.htmlPath, document.attachments,
            outgoing::priorityFromIndex(document.priority)};
}

outgoing::OutgoingMessage outgoingMessage(const outgoing::ComposedMessage& message, const SendOptions& options)
{
    outgoing::OutgoingMessage result;
    static_cast<outgoing::ComposedMessage&>(result) = message;
    result.identity = {options.senderName, options.senderAddress, options.replyTo, options.organisation,
                       options.signature};
    result.mode = options.bulkMode ? outgoing::SendMode::Bulk : outgoing::SendMode::Personal;
    result.bulkToText = options.bulkToText;
    result.wrap = true;
    result.customAttachments = options.customAttachments && !options.bulkMode;
    result.attachField = {options.attachField1, options.attachField2, options.attachField3, options.attachField4};
    return result;
}

bool isUsableSenderAddress(std::string_view address)
{
    const auto trimmed = trimBlanks(address);
    return !trimmed.empty() && trimmed != "@" && trimmed.find('@') != std::string_view::npos;
}

std::optional<PreparedMailing> prepareSend(const settings::Settings& settings, const std::filesystem::path& dataDir,
                                           const std::vector<std::string>& groups, const std::string& selectedGroup,
                                           const outgoing::ComposedMessage& message, SendCommandHost& host,
                                           Prompter& prompter)
{
    host.closeDatabases();
    if (settings.checkBeforeSending) {
        switch (host.checkSpellingBeforeSending()) {
        case SpellCheckOutcome::Completed:
            break;
        case SpellCheckOutcome::Cancelled:
            if (prompter.ask(text::kSpellCheckCancelledQuestion, Buttons::YesNo, Icon::Critical, Answer::Yes) !=
                Answer::Yes) {
                return std::nullopt;
            }
            break;
        case SpellCheckOutcome::StopSending:
            return std::nullopt;
        }
    }
    if (groups.empty()) {
        prompter.message(text::kNoGroupsMessage, Icon::Information);
        host.setFocus(SendFocus::GroupSelector);
        return std::nullopt;
    }

    PreparedMailing mailing;
    mailing.settings = settings;
    mailing.options = SendOptions{};
    if (trimBlanks(settings.smtpServer).empty()) {
        prompter.message(text::kNoServerMessage, Icon::Critical);
        host.openServerSetup();
        return std::nullopt;
    }
    if (selectedGroup.empty()) {
        prompter.message(text::kSelectGroupMessage, Icon::Exclamation);
        host.setFocus(SendFocus::GroupSelector);
        return std::nullopt;
    }
    if (message.body.empty() && message.htmlPath.empty() &&
        !confirmEmpty(text::kNoBodyQuestion, SendFocus::MessageText, host, prompter)) {
        return std::nullopt;
    }
    if (trimBlanks(message.subject).empty() &&
        !confirmEmpty(text::kNoSubjectQuestion, SendFocus::Subject, host, prompter)) {
        return std::nullopt;
    }

    auto& s = mailing.settings;
    if (s.smtpPort <= 0) {
        s.smtpPort = kDefaultPort;
    }
    if (s.timeout <= 0) {
        s.timeout = kDefaultTimeout;
    }
    if (s.wrapWidth == 0) {
        s.wrapWidth = kDefaultWrapWidth;
    }

    mailing.identity = outgoing::loadGroupIdentity(dataDir, selectedGroup, s, prompter);
    if (!isUsableSenderAddress(mailing.identity.address)) {
        if (prompter.ask(text::kInvalidSenderQuestion, Buttons::YesNo, Icon::Exclamation, Answer::Yes) == Answer::Yes) {
            host.openIdentitySetup();
        }
        return std::nullopt;
    }

    const auto groupFile = dataDir / (selectedGroup + std::string(store::kGroupExtension));
    store::RecipientStore group;
    if (!store::RecipientStore::isDatabase(groupFile) || !group.open(groupFile)) {
        prompter.message(std::string(text::kGroupMissingPrefix) + selectedGroup +
                             std::string(text::kGroupMissingSuffix),
                         Icon::Critical);
        return std::nullopt;
    }
    mailing.groupSize = group.recordCount();
    (void)group.close();

    mailing.options.groupName = selectedGroup;
    mailing.options.recipientCount = static_cast<std::int32_t>(mailing.groupSize);
    mailing.options.smtpServer = s.smtpServer;
    if (!s.smtpAuthentication) {
        s.smtpUsername.clear();
        s.smtpPassword.clear();
    }
    if (!s.pop3Authentication) {
        s.pop3Username.clear();
        s.pop3Password.clear();
    }
    return mailing;
}

SessionOptions sessionOptions(const SendOptions& options, const std::filesystem::path& dataDir,
                              const std::filesystem::path& settingsFile)
{
    SessionOptions session;
    session.dataDir = dataDir;
    session.settingsFile = settingsFile;
    session.groupName = options.groupName;
    session.senderAddress = options.senderAddress;
    session.bulkMode = options.bulkMode;
    session.bulkGroupSize = options.bulkGroupSize;
    session.partialSend = options.partialSend;
    session.partialStart = options.partialStart;
    session.partialEnd = options.partialEnd;
    session.blockFileOn = options.blockFileOn;
    session.blockFilePath = options.blockFilePath;
    session.dateFilters = dateFilters(options);
    session.sendFilters = options.sendFilters;
    session.optionsConfirmed = options.optionsConfirmed;
    session.dsn = options.dsn;
    return session;
}

} // namespace tidecast::mailing
