#pragma once

#include "common/Result.h"

#include <string>
#include <string_view>

// Every text of the group and recipient procedures that a person reads, in one place, so the
// desktop and the command line say exactly the same thing.
namespace tidecast::store::text
{

inline constexpr std::string_view kLoadingGroups = "Loading Groups";
inline constexpr std::string_view kCreatingGroup = "Creating a new group...";
inline constexpr std::string_view kAddGroupTitle = "Add New Group";
inline constexpr std::string_view kModifyGroupTitle = "Modify Group Name";
inline constexpr std::string_view kGroupExists =
    "Sorry, this group already exists! Please choose a different Group Name";
inline constexpr std::string_view kSelectGroupToModify = "Please select a group to modify first.";
inline constexpr std::string_view kEnterGroupName = "Please enter a Group name.";
inline constexpr std::string_view kGroupNameRefused = "Sorry but this Group name cannot be used.";
inline constexpr std::string_view kEnterYourName = "Please enter your Name.";
inline constexpr std::string_view kEnterYourEmail = "Please enter your email address.";
inline constexpr std::string_view kSenderEmailWithoutAt = "PLease enter a valid email address.";
inline constexpr std::string_view kEnterValidEmail = "Please enter a valid email address.";
inline constexpr std::string_view kGroupNameCharacters =
    "Please enter valid characters only.\r\n\r\nThese include: "
    "Spaces, letters a to z and A to Z, Numbers 0 to 9 and Hyphens";
inline constexpr std::string_view kRemoveExclusionsQuestion =
    "Do you wish to Remove all Related Entries in the Exclusion List for this Group as well?";
inline constexpr std::string_view kRemovingExclusions = "Removing related Exclusion list entries";
inline constexpr std::string_view kUpdatingExclusions = "Updating Exclusion list entries";
inline constexpr std::string_view kGroupNoLongerExists = "This group no longer exists.";

inline constexpr std::string_view kAddingRecipient = "Adding a new recipient...";
inline constexpr std::string_view kRecipientExists = "This recipient already exists in this group.";
inline constexpr std::string_view kListCapped =
    "Tidecast only displays the first 32,000 recipients of this group for speed purposes.\r\n\r\n"
    "To access or view the rest of the recipients you should use the\r\n"
    "Search Tool to refine the group listing.";
// The same while there is no search to point to.
inline constexpr std::string_view kListCappedWithoutSearch =
    "Tidecast only displays the first 32,000 recipients of this group for speed purposes.";
inline constexpr std::string_view kNoRecipientsToDelete = "There are no recipients to Delete!";
inline constexpr std::string_view kSelectRecipientToDelete = "Please select a Recipient to Delete first";
inline constexpr std::string_view kDeleteRecipientsQuestion = "Are you sure you wish to delete the selected recipients";
inline constexpr std::string_view kAddGroupFirst = "Please add a Group first";
inline constexpr std::string_view kSelectGroupFirst = "Please select Group first";
inline constexpr std::string_view kNoRecipientsInGroup = "There are no recipients in this group.";
inline constexpr std::string_view kSelectRecipientToModify = "Please select a Recipient to Modify first";
inline constexpr std::string_view kEnterRecipientEmail = "Please enter an email address for this new recipient.";
inline constexpr std::string_view kExcludedQuestion = "This Recipient is already present on your Exclusion List\r\n"
                                                      "Are you sure you still wish to add it to the current group?";
inline constexpr std::string_view kSpacesIllegal = "Spaces are illegal in email address.";
inline constexpr std::string_view kChooseAttachmentTitle = "Select a custom attachment for this recipient...";
inline constexpr std::string_view kAttachmentFilter = "All files (*.*)|*.*";
inline constexpr std::string_view kAttachmentTooLong =
    "Sorry but at present only file/path names of 50 characters or less can be used for custom attachment files.";

inline std::string deleteGroupQuestion(std::string_view name)
{
    return "Are you sure you wish to delete the group: '" + std::string(name) + "' - permanently ?";
}

inline std::string notValidGroup(std::string_view name)
{
    return "The group " + std::string(name) + " is not a valid group, cannot proceed!";
}

inline std::string addRecipientTitle(std::string_view group)
{
    return "Add a New Recipient to '" + std::string(group) + "'";
}

inline std::string modifyRecipientTitle(std::string_view group)
{
    return "Modify an Existing Recipient  in '" + std::string(group) + "'";
}

// An unexpected failure: the procedure's tag, then the description and number joined by " - ".
inline std::string procedureError(std::string_view tag, const Error& error)
{
    return std::string(tag) + error.detail + " - " + std::to_string(error.number);
}

inline std::string saveRecipientError(const Error& error)
{
    return "Error Saving Recipient\r\n" + error.detail + " - " + std::to_string(error.number);
}

inline std::string compactError(const Error& error)
{
    return "DB Compact Error : " + error.detail + " - " + std::to_string(error.number);
}

} // namespace tidecast::store::text
