#pragma once

#include "common/Prompter.h"
#include "store/GroupDetails.h"

#include <string>
#include <string_view>

namespace tidecast::store
{

inline constexpr std::string_view kGroupExtension = ".gdb";
inline constexpr std::string_view kGroupListFile = "groups.lst";
inline constexpr std::string_view kExclusionListName = "Exclusion List";
inline constexpr std::string_view kAllGroups = "All Groups";

// The group name of a listed path: its file name without the folder and without the last four
// characters (the ".gdb"). Accepts either kind of separator, as older lists were written
// elsewhere. An empty path gives an empty name.
std::string groupNameOfPath(std::string_view path);

// Keys the group-name box lets through: space, hyphen, digits, ASCII letters and backspace.
bool isGroupNameKey(char32_t key);
// True when every character of the name is one the name box lets through.
bool hasOnlyGroupNameCharacters(std::string_view name);

// The group dialog's field that a failed check returns the focus to.
enum class GroupDialogField
{
    None,
    GroupName,
    SenderName,
    SenderEmail,
};

// The group dialog's checks on OK, in order: the name (trimmed in place), the reserved name, and
// the group's own identity when it has one. Shows the first failure (exclamation) and returns
// the field to focus, or None when everything passed.
GroupDialogField checkGroupDialog(std::string& name, const GroupDetails& details, Prompter& prompter);

} // namespace tidecast::store
