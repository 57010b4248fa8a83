#pragma once

#include "common/Prompter.h"
#include "settings/Settings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tidecast::outgoing
{

inline constexpr std::string_view kIncompleteGroupDetailsMessage =
    "Custom details for this group are incomplete (Reason: Email address is missing). Using Defaults.";

// The sender identity of a mailing, as the identification boxes show it.
struct GroupIdentity
{
    std::string name;
    std::string address;
    std::string replyTo;
    std::string organisation;
    std::string signature; // CR LF line breaks

    bool operator==(const GroupIdentity&) const = default;
};

// The default identity of the settings.
GroupIdentity defaultIdentity(const settings::Settings& settings);

// The identity for mailing a group: the group's own details when its details file says so,
// else the defaults. Own details without an address show the message and use the defaults.
GroupIdentity loadGroupIdentity(const std::filesystem::path& dataDir, std::string_view groupName,
                                const settings::Settings& settings, Prompter& prompter);

} // namespace tidecast::outgoing
