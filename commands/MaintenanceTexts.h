#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Every text of the search, copy and move, sort and repair procedures that a person reads, in one
// place, so the desktop and the command line say exactly the same thing.
namespace tidecast::commands::text
{

// Search.
inline constexpr std::string_view kSelectGroupToSearch = "Please select a valid group before searching.";
inline constexpr std::string_view kSearchGroupUnopenable = "Unable to Search!! The specified Group cannot be opened.";
inline constexpr std::string_view kSearchGroupEmpty = "Unable to Search!! This Group doesn't contain any recipients.";
inline constexpr std::string_view kSearchFoundNobody = "The specified search criteria returned no recipients.";

// "recipient(s)" follows a search that found someone; the plural stands everywhere else.
inline std::string searchCount(std::int64_t count, bool succeeded)
{
    return "Search returned " + std::to_string(count) + (succeeded ? " recipient(s)" : " recipients");
}

// Copy and move.
inline constexpr std::string_view kSourceInvalid =
    "The Source Group is invalid. Please Select a valid Group before Proceeding.";
inline constexpr std::string_view kDestinationInvalid =
    "The Destination Group is invalid. Please Select a valid Group before Proceeding.";
inline constexpr std::string_view kDestinationIsSource =
    "The Destination Group is the Source Group. Please Select another Group before Proceeding.";
inline constexpr std::string_view kCopying = "Copying : This may take a moment.";
inline constexpr std::string_view kMoving = "Moving : This may take a moment.";
inline constexpr std::string_view kCopyComplete = "Copy Complete!";
inline constexpr std::string_view kMoveComplete = "Move Complete!";
inline constexpr std::string_view kCompacting = "Compacting ...";
inline constexpr std::string_view kCompactComplete = "Compact complete ...";
inline constexpr std::string_view kRecipientsCountSuffix = " Recipients";

inline std::string overwriteQuestion(std::string_view address)
{
    return "The Recipient - '" + std::string(address) + "' already exists in the Destination Group.\r\n" +
           "Do you wish to overwrite the Destination Recipient information?";
}

inline std::string deleteAnywayQuestion(std::string_view address, std::string_view sourceGroup)
{
    return "Would you like to delete '" + std::string(address) + "' from '" + std::string(sourceGroup) + "' anyway?";
}

// The checks before the copy-and-move dialog opens, from the main window's list or the search results.
inline std::string nobodyToTransfer(bool move, bool fromSearch)
{
    return std::string("There is nobody to ") + (move ? "Move" : "Copy") + " from this " +
           (fromSearch ? "Search." : "Group.");
}

inline std::string selectSomebodyToTransfer(bool move, bool fromSearch)
{
    return std::string("Please select somebody to ") + (move ? "Move" : "Copy") + " from the " +
           (fromSearch ? "Search Results" : "Group") + " first.";
}

// Sort and repair.
inline constexpr std::string_view kSortRefused =
    "Sorry but Sort is unavailable to you because you have enabled double byte safety.";
inline constexpr std::string_view kSorting = "Sorting ....";
inline constexpr std::string_view kOpening = "Opening ..";
inline constexpr std::string_view kChecking = "Checking ...";
inline constexpr std::string_view kRepairing = "Repairing ...";

inline std::string repairReport(std::string_view group, std::int64_t checked, std::int64_t damaged)
{
    return "Finished Checking " + std::string(group) + "\r\n\r\n" + std::to_string(checked) +
           " Recipients were checked.\r\n" + std::to_string(damaged) + " Recipients were damaged and deleted.";
}

} // namespace tidecast::commands::text
