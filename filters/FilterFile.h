#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "filters/FilterEditor.h"
#include "settings/Settings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tidecast::filters
{

// Import lists are kept in ".tcf" files, send lists in ".gsf" files. Both hold one rule per line
// exactly as displayed, each ended by CR LF, and nothing else.
enum class FilterFileKind
{
    Import,
    Send,
};

// What the file dialogs need to know about a kind of filter file.
struct FilterFileType
{
    std::string_view extension; // ".tcf"
    std::string_view saveTypes; // "Description (*.tcf)|*.tcf"
    std::string_view openTitle; // title of the open-file dialog
    std::string_view openTypes; // types of the open-file dialog
    std::string_view folderKey; // the "Client Setup" key remembering the last folder
};

const FilterFileType& filterFileType(FilterFileKind kind);

inline constexpr std::string_view kEmptyFilterListMessage =
    "Please add some filters to the list brfore attempting to save it.";
inline constexpr std::string_view kFilterListSavedMessage = "Filter List saved to ";
inline constexpr std::string_view kInvalidFilterFileMessage = "Please select a valid Filter list!";

// Text is written as UTF-8; lines read in Latin-1 are converted.
[[nodiscard]] Result<void> writeFilterFile(const std::filesystem::path& path, const FilterList& list);
// Every line that is not blank, unchanged and unchecked: a line that is not a rule fails every
// candidate when evaluated. Lines of blanks only are dropped with the empty ones, since as rules
// they would filter out everyone.
[[nodiscard]] Result<FilterList> readFilterFile(const std::filesystem::path& path);

// The folder a file dialog starts in: the remembered one, else the data folder.
std::string filterStartFolder(const settings::Settings& settings, FilterFileKind kind, std::string_view dataFolder);

// Before the save dialog: an empty list cannot be saved (the message is shown; the list should
// get the focus).
bool canSaveFilterList(const FilterList& list, Prompter& prompter);

// After the save dialog: remembers the chosen folder, writes the file and tells the person where.
bool saveFilterList(FilterFileKind kind, const FilterList& list, const std::filesystem::path& chosen,
                    settings::Settings& settings, Prompter& prompter);

enum class FilterLoadStatus
{
    Loaded,
    Missing, // the message was shown; the open dialog should open again
    Failed,  // the file could not be read; the message was shown and the list is unchanged
};

// After the open dialog: replaces the list with the file's rules and remembers the folder.
FilterLoadStatus loadFilterList(FilterFileKind kind, const std::filesystem::path& chosen, settings::Settings& settings,
                                Prompter& prompter, FilterList& list);

} // namespace tidecast::filters
