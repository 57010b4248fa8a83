#pragma once

#include "store/RecipientRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// What is exported: a group, the search results (both recipient files) or the exclusion list.
enum class ExportSource
{
    Recipients,
    ExclusionList,
};

enum class ExportDelimiter
{
    Comma,
    Tab,
    Spaces,
    Semicolon,
};

inline constexpr std::string_view kFullNameLabel = "Full Name";
inline constexpr std::string_view kGroupNameLabel = "Group Name";

// The field list in its initial order, and the sort list (the same without "Full Name").
const std::vector<std::string>& exportFieldLabels(ExportSource source);
const std::vector<std::string>& exportSortLabels(ExportSource source);

// The database column of a field label ("Email Address" -> "EMailAddress"); nothing for
// "Full Name", which is computed, and for unknown labels.
std::optional<std::string_view> columnName(std::string_view label);

// Title, first name and last name joined by single blanks, without outer blanks.
std::string fullName(const store::RecipientRecord& record);

// The delimiter list's entries ("COMMA", "TAB", "SPACES", ";") and their characters.
const std::vector<std::string>& delimiterNames();
std::string_view delimiterName(ExportDelimiter delimiter);
char delimiterCharacter(ExportDelimiter delimiter);
// What joins the field names of the header line: ", ", a tab, a blank or "; ".
std::string_view headerSeparator(ExportDelimiter delimiter);

// Appends a value to a line: quoted when it holds the delimiter, a double quote, CR or LF, with
// inner quotes doubled, so any reader of delimited text gets the value back unchanged.
void appendValue(std::string& line, std::string_view value, char delimiter);

} // namespace tidecast::transfer
