#pragma once

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/StatusSink.h"
#include "store/CommandOutcome.h"
#include "store/GroupDetails.h"
#include "store/GroupNames.h"
#include "store/RecipientStore.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::store
{

// One row of the group lists: the group's name and its number of recipients.
struct GroupRow
{
    std::string name;
    std::int64_t count = 0;

    bool operator==(const GroupRow&) const = default;
};

// How delete group settles the exclusion entries of the deleted group.
enum class ExclusionCleanup
{
    Ask, // ask the question (the desktop)
    Yes, // remove them without asking
    No,  // keep them without asking
};

// The outcome of the group dialog's OK: whether the dialog may close, and where the focus goes
// when it may not.
struct GroupDialogResult
{
    CommandOutcome outcome = CommandOutcome::Refused;
    GroupDialogField focus = GroupDialogField::None;

    bool accepted() const { return outcome == CommandOutcome::Done; }
};

// The groups of a data folder: "groups.lst" and the group list it fills, the group dialog's
// work and the add, modify and delete commands. Holds the group list as last loaded (both lists
// of the main window show the same rows) and the main window's database instance, which every
// group and recipient procedure closes before it opens a file.
//
// Only ever used from one thread.
class GroupStore
{
public:
    GroupStore(std::filesystem::path dataDir, Prompter& prompter, StatusSink& status, Progress& progress,
               const Clock& clock);

    // "DBSafe Delete": compact with the safe rebuild instead of the database's own compaction.
    void setSafeDelete(bool on) { m_safeDelete = on; }
    bool safeDelete() const { return m_safeDelete; }

    const std::filesystem::path& dataDir() const { return m_dataDir; }
    // data folder + name + ".gdb", as written in groups.lst.
    std::string groupPath(std::string_view name) const;
    std::filesystem::path listFile() const { return m_dataDir / kGroupListFile; }
    std::filesystem::path exclusionListFile() const;
    std::filesystem::path detailsFile(std::string_view name) const { return groupDetailsPath(m_dataDir, name); }

    Prompter& prompter() { return m_prompter; }
    StatusSink& status() { return m_status; }
    Progress& progress() { return m_progress; }
    const Clock& clock() const { return m_clock; }
    // The main window's own database instance.
    RecipientStore& database() { return m_database; }
    void closeDatabase();

    const std::vector<GroupRow>& rows() const { return m_rows; }
    // Index of the row with exactly this name, or -1.
    int rowOf(std::string_view name) const;
    void setCount(std::string_view name, std::int64_t count);

    // Rebuilds the group list from groups.lst: one row per listed group whose file exists, with
    // its record count. Lines whose file is missing are skipped.
    const std::vector<GroupRow>& loadGroups();
    // Rewrites groups.lst from the group list and the two shared paths: a renamed group keeps
    // its place, a created one is appended, groups whose file has gone drop out.
    void writeGroupList();
    // Refreshes one group's count; nullopt (after a message) on error.
    std::optional<std::int64_t> countRecipients(std::string_view name);

    // The paths the group dialog shares with writeGroupList; empty outside an add or modify.
    const std::string& newGroupPath() const { return m_newGroupPath; }
    const std::string& oldGroupPath() const { return m_oldGroupPath; }
    void clearGroupPaths();

    // Add group: status text and cleared paths before the dialog; afterwards (unless it was
    // cancelled) the list is rewritten and reloaded.
    void beginAddGroup();
    void finishAddGroup();

    // Modify group: refuses without a selection; sets the old path. `finishModifyGroup` carries
    // a rename into the exclusion list and groups.lst, reloads, and returns the name to select.
    bool beginModifyGroup(std::string_view selected);
    std::string finishModifyGroup();

    // The group dialog's OK. `originalName` is empty when adding. Runs the checks, then creates
    // the group file (or renames it) and writes its details.
    GroupDialogResult acceptGroupDialog(std::string_view originalName, std::string name, const GroupDetails& details);

    // Delete group: confirmation, files, exclusion entries, list rewrite and reload.
    CommandOutcome deleteGroup(std::string_view selected, ExclusionCleanup cleanup = ExclusionCleanup::Ask);

    // Deletes the exclusion entries of a group (exact name) and compacts when any went.
    bool removeExclusionEntries(std::string_view groupName);
    // Renames a group's exclusion entries from the old path's name to the new path's name.
    bool renameExclusionEntries();

    // The failure paths shared with the recipient procedures: the message, then the list rebuild.
    void reportMissingGroup();
    void reportInvalidGroup(std::string_view name);

private:
    bool createGroup(std::string_view name, const GroupDetails& details);
    bool renameGroup(std::string_view oldName, std::string_view newName, const GroupDetails& details);

    std::filesystem::path m_dataDir;
    Prompter& m_prompter;
    StatusSink& m_status;
    Progress& m_progress;
    const Clock& m_clock;
    bool m_safeDelete = false;
    RecipientStore m_database;
    std::vector<GroupRow> m_rows;
    std::string m_newGroupPath;
    std::string m_oldGroupPath;
};

} // namespace tidecast::store
