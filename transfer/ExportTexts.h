#pragma once

#include <string_view>

namespace tidecast::transfer::text
{

inline constexpr std::string_view kExportCaption = "Export a Group...";
inline constexpr std::string_view kExportProgressCaption = "Export Progress";
inline constexpr std::string_view kSearchResultsSource = "Search Results";
inline constexpr std::string_view kQueryMode = "QUERY";
inline constexpr std::string_view kExclusionMode = "EEX";

inline constexpr std::string_view kFieldsLabel = "Select the Fields you wish to Export:";
inline constexpr std::string_view kDelimiterLabel = "Delimit the Data using the following Character:";
inline constexpr std::string_view kOutputLabel = "Please select the File you want to Export to:";
inline constexpr std::string_view kFiltersLabel = "Select which Recipients you wish to Filter:";
inline constexpr std::string_view kSortLabel = "Sort using the following Field:";
inline constexpr std::string_view kHeaderBox = "&Include Field Names on First Row";
inline constexpr std::string_view kBomBox = "Byte-order mark (for spreadsheets)";
inline constexpr std::string_view kSelectAllFields = "Select all &Fields";
inline constexpr std::string_view kDeselectAllFields = "De-select All &Fields";
inline constexpr std::string_view kOutputFileTypes = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

inline constexpr std::string_view kSortUnavailable =
    "Sorry but Sort is unavailable to you because you have enabled double byte safety.";
inline constexpr std::string_view kSelectOutputFile = "Please select a File to Export the Group to.";
inline constexpr std::string_view kSelectFields = "Please select the Fields you wish to Export first.";
inline constexpr std::string_view kGroupMissing =
    "The specifed Group doesn't exist.\r\nPlease select a valid Group first";
inline constexpr std::string_view kGroupEmpty = "The specified Group doesn't contain any recipients to Export.";
inline constexpr std::string_view kExclusionEmpty = "The Exclusion List doesn't contain any recipients to Export.";

inline constexpr std::string_view kSortingGroup = "Sorting Group...";
inline constexpr std::string_view kOpeningGroup = "Opening Group...";
inline constexpr std::string_view kBuildingHeader = "Building Header...";
inline constexpr std::string_view kBuildingRecord = "Building Export Record";

inline constexpr std::string_view kExportingLabel = "Exporting:";
inline constexpr std::string_view kExportedSoFar = "Exported so far:";
inline constexpr std::string_view kIgnoredSoFar = "Ignored so far:";
inline constexpr std::string_view kStoppingExport = "Stopping Export ...";
inline constexpr std::string_view kErrorsEncountered = "Errors Encountered";
inline constexpr std::string_view kExportStopped = "Export Stopped";
inline constexpr std::string_view kExportCompleted = "Export Completed";

inline constexpr std::string_view kExportListTag = "ExportList: ";
inline constexpr std::string_view kExportExclusionTag = "ExportExclusion: ";

} // namespace tidecast::transfer::text
