#pragma once

#include "common/Prompter.h"
#include "common/Result.h"
#include "transfer/ImportEngine.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tidecast::transfer
{

// An import layout (".gil"): the field count as typed, the marker "T2" and the selected position
// of each of the twenty-one match-up lists (0 for "(blank)", k for "Input Field k"), one per
// line, each line ended by CR LF.
struct ImportLayoutFile
{
    std::string fieldCount; // as typed in the count box
    std::array<int, kMatchUpFields> positions{};
};

inline constexpr std::string_view kLayoutFileTypes = "Tidecast Import Layouts (*.gil)|*.gil";
inline constexpr std::string_view kLayoutExtension = ".gil";
inline constexpr std::string_view kOpenLayoutTitle = "Select an existing Import Layout";
inline constexpr std::string_view kLayoutFolderKey = "LastILayoutDir";

// The file's text: numbers as the number-printing form writes them, " 3 " and "-1 ".
std::string formatLayoutFile(const ImportLayoutFile& layout);
[[nodiscard]] Result<void> writeLayoutFile(const std::filesystem::path& path, const ImportLayoutFile& layout);

// The leading number of a line, as a reader of the number-printing form takes it: blanks
// skipped, an optional sign, the digits; 0 when there are none.
long long leadingNumber(std::string_view text);

// Saves and tells the person where: "Import Layout List saved to " and the path.
bool saveLayout(const std::filesystem::path& path, const ImportLayoutFile& layout, Prompter& prompter);

// A loaded layout to apply: the field count to use and the twenty-one positions.
struct LoadedLayout
{
    int fieldCount = 0;
    std::array<int, kMatchUpFields> positions{};
};

// Reads a layout for a wizard whose count box holds `currentCount`. Refuses a file with no
// positive count or without the marker (critical message), asks before switching to a different
// count; nullopt when nothing is to change.
std::optional<LoadedLayout> loadLayout(std::string_view text, int currentCount, Prompter& prompter);
std::optional<LoadedLayout> loadLayoutFile(const std::filesystem::path& path, int currentCount, Prompter& prompter);

} // namespace tidecast::transfer
