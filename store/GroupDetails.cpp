#include "store/GroupDetails.h"

#include "common/Text.h"
#include "store/LocalDate.h"

#include <optional>

namespace tidecast::store
{

namespace
{

constexpr std::string_view kDefaultKey = "DEFAULT: ";
constexpr std::string_view kNameKey = "NAME: ";
constexpr std::string_view kEmailKey = "EMAIL: ";
constexpr std::string_view kOrganisationKey = "ORGANISATION: ";
constexpr std::string_view kReplyToKey = "REPLYTO: ";
constexpr std::string_view kSignatureKey = "SIGNATURE: ";
constexpr std::string_view kSignatureEnd = "ENDSIG";

// The rest of the line after the first occurrence of `key`, trimmed; nullopt when absent.
std::optional<std::string> lineValue(std::string_view text, std::string_view key)
{
    const auto at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const auto start = at + key.size();
    auto end = text.find(kCrLf, start);
    if (end == std::string_view::npos) {
        end = text.size();
    }
    return std::string(trimBlanks(text.substr(start, end - start)));
}

} // namespace

std::filesystem::path groupDetailsPath(const std::filesystem::path& dataDir, std::string_view groupName)
{
    return dataDir / (std::string(groupName) + ".tcp");
}

std::string formatGroupDetails(const GroupDetails& details, const Clock& clock)
{
    std::string out;
    const auto line = [&out](std::string_view a, std::string_view b = {}) {
        out += a;
        out += b;
        out += kCrLf;
    };
    line("; ");
    line("; Group Details");
    line("; Date created: ", formatGeneralDate(clock.now()));
    line(";");
    line(kDefaultKey, details.useDefault ? "Y" : "N");
    line(kNameKey, details.senderName);
    line(kEmailKey, details.senderEmail);
    line(kOrganisationKey, details.organisation);
    line(kReplyToKey, details.replyTo);
    line(kSignatureKey, details.signature);
    line(kSignatureEnd);
    return out;
}

bool writeGroupDetails(const std::filesystem::path& file, const GroupDetails& details, const Clock& clock)
{
    return writeWholeFile(file, formatGroupDetails(details, clock));
}

GroupDetails parseGroupDetails(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return {};
    }
    return parseGroupDetailsText(toUtf8(readWholeFile(file)));
}

GroupDetails parseGroupDetailsText(std::string_view content)
{
    // Files edited elsewhere may have LF-only line ends; the rules below work on CR LF lines.
    std::string text;
    for (const auto& line : splitLines(content)) {
        text += line;
        text += kCrLf;
    }

    GroupDetails details;
    const auto useDefault = lineValue(text, kDefaultKey);
    details.useDefault = !useDefault || *useDefault == "Y";
    details.senderName = lineValue(text, kNameKey).value_or("");
    details.senderEmail = lineValue(text, kEmailKey).value_or("");
    details.organisation = lineValue(text, kOrganisationKey).value_or("");
    details.replyTo = lineValue(text, kReplyToKey).value_or("");

    const auto at = text.find(kSignatureKey);
    if (at != std::string::npos) {
        const auto start = at + kSignatureKey.size();
        const std::string closing = std::string(kCrLf) + std::string(kSignatureEnd);
        auto end = text.find(closing, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        details.signature = std::string(trimBlanks(std::string_view(text).substr(start, end - start)));
    }
    return details;
}

} // namespace tidecast::store
