#pragma once

#include <string_view>

namespace tidecast::transfer::text
{

inline constexpr std::string_view kExclusionCaption = "Exclusion List";
inline constexpr std::string_view kMembersFrame = "Exclusion List Members";
inline constexpr std::string_view kExclusionNote =
    "Recipients added to this list will be Excluded from Mailings to the specified Groups.";
inline constexpr std::string_view kCountSuffix = " Recipients";
// Kept for the record: the list has no size limit, so this is never shown.
inline constexpr std::string_view kMaximumSize =
    "The maximum size of the Exclusion List (32,000 recipients) has been reached.";

inline constexpr std::string_view kAddCaption = "Exclude a Recipient";
inline constexpr std::string_view kAddAddressLabel = "Email Address of the Recipient to exclude:";
inline constexpr std::string_view kAddGroupLabel = "Exclude from the following Group:";
inline constexpr std::string_view kInvalidAddress = "This does not appear to be a valid address. Please verify.";
inline constexpr std::string_view kAlreadyListed = "This email address already exists in the list.";

inline constexpr std::string_view kNobodyToRemove = "There is nobody to remove from this list.";
inline constexpr std::string_view kSelectToRemove = "Please select somebody to remove from the list.";
inline constexpr std::string_view kDeleteSelectedQuestion = "Are you sure you wish to delete the selected recipients?";
inline constexpr std::string_view kDeleteAllQuestion =
    "Are you sure you wish to delete all members of the exclusion list?";

inline constexpr std::string_view kImportCaption = "Exclusion list Import";
inline constexpr std::string_view kImportFromFile = "Import from file";
inline constexpr std::string_view kImportFromClipboard = "Import text from the Clipboard";
inline constexpr std::string_view kImportGroupLabel = "Select the Group that you want to exclude the recipients from:";
inline constexpr std::string_view kImportFiltersLabel = "Select which email addresses you wish to filter:";
inline constexpr std::string_view kCheckingDuplicates = "Checking for duplicates";
inline constexpr std::string_view kAddingExclusion = "Adding Recipient information";
inline constexpr std::string_view kExclusionRawImportTag = "Exclusion RAWImport Error: ";

} // namespace tidecast::transfer::text
