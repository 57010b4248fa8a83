#include "outgoing/GroupIdentity.h"

#include "common/Text.h"
#include "store/GroupDetails.h"

namespace tidecast::outgoing
{

GroupIdentity defaultIdentity(const settings::Settings& settings)
{
    return {settings.realName, settings.emailAddress, settings.replyToAddress, settings.organisation,
            settings.signature};
}

GroupIdentity loadGroupIdentity(const std::filesystem::path& dataDir, std::string_view groupName,
                                const settings::Settings& settings, Prompter& prompter)
{
    store::GroupDetails details = store::parseGroupDetails(store::groupDetailsPath(dataDir, groupName));
    if (details.useDefault) {
        return defaultIdentity(settings);
    }
    if (trimBlanks(details.senderEmail).empty()) {
        prompter.message(kIncompleteGroupDetailsMessage, Icon::Exclamation);
        return defaultIdentity(settings);
    }
    return {details.senderName, details.senderEmail, details.replyTo, details.organisation, details.signature};
}

} // namespace tidecast::outgoing
