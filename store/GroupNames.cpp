#include "store/GroupNames.h"

#include "common/MailAddress.h"
#include "common/Text.h"
#include "store/StoreTexts.h"

namespace tidecast::store
{

namespace
{

constexpr char32_t kBackspace = 8;

bool isAsciiLetterOrDigit(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

std::string groupNameOfPath(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    const auto fileName = slash == std::string_view::npos ? path : path.substr(slash + 1);
    constexpr std::size_t kExtensionLength = 4;
    if (fileName.size() <= kExtensionLength) {
        return {};
    }
    return std::string(fileName.substr(0, fileName.size() - kExtensionLength));
}

bool isGroupNameKey(char32_t key)
{
    return key == ' ' || key == '-' || key == kBackspace || isAsciiLetterOrDigit(key);
}

bool hasOnlyGroupNameCharacters(std::string_view name)
{
    for (char c : name) {
        if (c == static_cast<char>(kBackspace) || !isGroupNameKey(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

GroupDialogField checkGroupDialog(std::string& name, const GroupDetails& details, Prompter& prompter)
{
    name = std::string(trimBlanks(name));
    if (name.empty()) {
        prompter.message(text::kEnterGroupName, Icon::Exclamation);
        return GroupDialogField::GroupName;
    }
    // Typed names cannot hold other characters; pasted or scripted ones can, and a name ends up
    // in a file name.
    if (!hasOnlyGroupNameCharacters(name)) {
        prompter.message(text::kGroupNameCharacters, Icon::Exclamation);
        return GroupDialogField::GroupName;
    }
    if (name == kExclusionListName) {
        prompter.message(text::kGroupNameRefused, Icon::Exclamation);
        return GroupDialogField::GroupName;
    }
    if (details.useDefault) {
        return GroupDialogField::None;
    }
    if (trimBlanks(details.senderName).empty()) {
        prompter.message(text::kEnterYourName, Icon::Exclamation);
        return GroupDialogField::SenderName;
    }
    const auto address = trimBlanks(details.senderEmail);
    if (address.empty()) {
        prompter.message(text::kEnterYourEmail, Icon::Exclamation);
        return GroupDialogField::SenderEmail;
    }
    if (address.find('@') == std::string_view::npos) {
        prompter.message(text::kSenderEmailWithoutAt, Icon::Exclamation);
        return GroupDialogField::SenderEmail;
    }
    if (address.find('.') == std::string_view::npos || !isValidMailbox(address)) {
        prompter.message(text::kEnterValidEmail, Icon::Exclamation);
        return GroupDialogField::SenderEmail;
    }
    return GroupDialogField::None;
}

} // namespace tidecast::store
