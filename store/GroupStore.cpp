#include "store/GroupStore.h"

#include "common/Text.h"
#include "store/Compaction.h"
#include "store/RecipientRecord.h"
#include "store/StoreTexts.h"

namespace tidecast::store
{

namespace
{

constexpr std::string_view kGroupField = "Group";

bool fileExists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// The number of records of a group file, read without setting up a cursor: the group list
// counts every group each time it is loaded.
std::int64_t countRecords(const std::string& path)
{
    // Read-write where possible: a read-only connection that closes last leaves the write-ahead
    // log and its index behind.
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite);
    if (!db) {
        db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadOnly);
    }
    if (!db) {
        return 0;
    }
    auto statement = db->prepare("SELECT count(*) FROM records");
    if (!statement || statement->step() != SqliteStatement::Step::Row) {
        return 0;
    }
    return statement->columnInt(0);
}

} // namespace

GroupStore::GroupStore(std::filesystem::path dataDir, Prompter& prompter, StatusSink& status, Progress& progress,
                       const Clock& clock)
    : m_dataDir(std::move(dataDir))
    , m_prompter(prompter)
    , m_status(status)
    , m_progress(progress)
    , m_clock(clock)
{}

std::string GroupStore::groupPath(std::string_view name) const
{
    return (m_dataDir / (std::string(name) + std::string(kGroupExtension))).string();
}

std::filesystem::path GroupStore::exclusionListFile() const
{
    return m_dataDir / (std::string(kExclusionListName) + std::string(kGroupExtension));
}

void GroupStore::closeDatabase()
{
    (void)m_database.close();
}

int GroupStore::rowOf(std::string_view name) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void GroupStore::setCount(std::string_view name, std::int64_t count)
{
    if (const int row = rowOf(name); row >= 0) {
        m_rows[static_cast<std::size_t>(row)].count = count;
    }
}

const std::vector<GroupRow>& GroupStore::loadGroups()
{
    m_status.showStatus(text::kLoadingGroups);
    m_rows.clear();
    const auto content = readWholeFile(listFile());
    for (const auto& line : splitLines(toUtf8(content))) {
        const auto name = groupNameOfPath(line);
        if (name.empty()) {
            continue;
        }
        const auto path = groupPath(name);
        if (!fileExists(path)) {
            continue;
        }
        // A damaged file still shows as a group (with no recipients); opening it later reports
        // it as not valid.
        m_rows.push_back({name, countRecords(path)});
    }
    return m_rows;
}

void GroupStore::writeGroupList()
{
    std::error_code ec;
    std::filesystem::remove(listFile(), ec);
    std::string out;
    bool anyLine = false;
    const auto writeLine = [&](const std::string& path) {
        out += path;
        out += kCrLf;
        anyLine = true;
    };
    for (const auto& row : m_rows) {
        auto path = groupPath(row.name);
        if (!m_oldGroupPath.empty() && path == m_oldGroupPath && !m_newGroupPath.empty()) {
            path = m_newGroupPath;
            m_newGroupPath.clear();
        }
        if (fileExists(path)) {
            writeLine(path);
        }
    }
    if (!m_newGroupPath.empty() && fileExists(m_newGroupPath)) {
        writeLine(m_newGroupPath);
    }
    if (anyLine) {
        (void)writeWholeFile(listFile(), out);
    }
}

std::optional<std::int64_t> GroupStore::countRecipients(std::string_view name)
{
    closeDatabase();
    if (auto opened = m_database.open(groupPath(name)); !opened) {
        m_prompter.message(text::procedureError("CountDBUsers: ", opened.error()), Icon::Critical);
        return std::nullopt;
    }
    const auto count = m_database.recordCount();
    closeDatabase();
    setCount(name, count);
    return count;
}

void GroupStore::clearGroupPaths()
{
    m_newGroupPath.clear();
    m_oldGroupPath.clear();
}

void GroupStore::beginAddGroup()
{
    m_status.showStatus(text::kCreatingGroup);
    closeDatabase();
    clearGroupPaths();
}

void GroupStore::finishAddGroup()
{
    writeGroupList();
    clearGroupPaths();
    loadGroups();
}

bool GroupStore::beginModifyGroup(std::string_view selected)
{
    if (selected.empty()) {
        m_prompter.message(text::kSelectGroupToModify, Icon::Exclamation);
        return false;
    }
    closeDatabase();
    clearGroupPaths();
    m_oldGroupPath = groupPath(selected);
    return true;
}

std::string GroupStore::finishModifyGroup()
{
    const auto path = m_newGroupPath.empty() ? m_oldGroupPath : m_newGroupPath;
    renameExclusionEntries();
    writeGroupList();
    clearGroupPaths();
    loadGroups();
    return groupNameOfPath(path);
}

GroupDialogResult GroupStore::acceptGroupDialog(std::string_view originalName, std::string name,
                                                const GroupDetails& details)
{
    GroupDialogResult result;
    result.focus = checkGroupDialog(name, details, m_prompter);
    if (result.focus != GroupDialogField::None) {
        return result;
    }
    const bool saved = originalName.empty() ? createGroup(name, details) : renameGroup(originalName, name, details);
    if (saved) {
        result.outcome = CommandOutcome::Done;
    }
    return result;
}

bool GroupStore::createGroup(std::string_view name, const GroupDetails& details)
{
    const auto path = groupPath(name);
    if (RecipientStore::isDatabase(path)) {
        m_prompter.message(text::kGroupExists, Icon::Exclamation);
        return false;
    }
    RecipientStore file;
    defineRecipientLayout(file);
    if (const int status = file.createFile(path); status != 0) {
        m_prompter.message(text::procedureError("AddGroup: ", {ErrorCode::FileWrite, "Cannot create " + path, status}),
                           Icon::Critical);
        return false;
    }
    if (!writeGroupDetails(detailsFile(name), details, m_clock)) {
        m_prompter.message(
            text::procedureError("AddGroup: ", {ErrorCode::FileWrite, "Cannot write " + detailsFile(name).string(), 0}),
            Icon::Critical);
    }
    m_oldGroupPath.clear();
    m_newGroupPath = path;
    return true;
}

bool GroupStore::renameGroup(std::string_view oldName, std::string_view newName, const GroupDetails& details)
{
    if (newName != oldName) {
        const auto target = groupPath(newName);
        // Renaming onto another group would silently replace its recipients.
        if (RecipientStore::isDatabase(target)) {
            m_prompter.message(text::kGroupExists, Icon::Exclamation);
            return false;
        }
        closeDatabase();
        std::error_code ec;
        std::filesystem::rename(groupPath(oldName), target, ec);
        // A write-ahead log left beside the file belongs to it: it goes along.
        for (const char* suffix : {"-wal", "-shm"}) {
            auto side = groupPath(oldName);
            side += suffix;
            std::error_code sideError;
            if (!ec && std::filesystem::exists(side, sideError)) {
                auto sideTarget = target;
                sideTarget += suffix;
                std::filesystem::rename(side, sideTarget, ec);
            }
        }
        if (ec) {
            m_prompter.message(text::procedureError("ModifyGroup: ", {ErrorCode::FileWrite, ec.message(), ec.value()}),
                               Icon::Critical);
            return false;
        }
        m_oldGroupPath = groupPath(oldName);
        m_newGroupPath = target;
    }
    if (!writeGroupDetails(detailsFile(newName), details, m_clock)) {
        m_prompter.message(text::procedureError("ModifyGroup: ", {ErrorCode::FileWrite,
                                                                  "Cannot write " + detailsFile(newName).string(), 0}),
                           Icon::Critical);
    }
    return true;
}

CommandOutcome GroupStore::deleteGroup(std::string_view selected, ExclusionCleanup cleanup)
{
    if (selected.empty()) {
        m_prompter.message(text::kSelectGroupToModify, Icon::Exclamation);
        return CommandOutcome::Refused;
    }
    const std::string name(selected);
    closeDatabase();
    if (m_prompter.ask(text::deleteGroupQuestion(name), Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes) {
        return CommandOutcome::Stopped;
    }
    const auto path = groupPath(name);
    if (fileExists(path)) {
        RecipientStore::deleteFile(path);
        std::error_code ec;
        std::filesystem::remove(detailsFile(name), ec);
    }
    bool cleaned = true;
    if (fileExists(exclusionListFile())) {
        bool clean = cleanup == ExclusionCleanup::Yes;
        if (cleanup == ExclusionCleanup::Ask) {
            clean = m_prompter.ask(text::kRemoveExclusionsQuestion, Buttons::YesNo, Icon::Question, Answer::No) ==
                    Answer::Yes;
        }
        if (clean) {
            cleaned = removeExclusionEntries(name);
        }
    }
    writeGroupList();
    loadGroups();
    return cleaned ? CommandOutcome::Done : CommandOutcome::Failed;
}

bool GroupStore::removeExclusionEntries(std::string_view groupName)
{
    m_status.showStatus(text::kRemovingExclusions);
    const auto file = exclusionListFile();
    if (!RecipientStore::isDatabase(file)) {
        return true;
    }
    closeDatabase();
    const auto fail = [this](const Error& error) {
        closeDatabase();
        m_prompter.message(text::procedureError("CleanExclusionList: ", error), Icon::Critical);
        return false;
    };
    if (auto opened = m_database.open(file); !opened) {
        return fail(opened.error());
    }
    if (m_database.recordCount() == 0) {
        closeDatabase();
        return true;
    }
    const auto deleted = [&]() -> Result<std::int64_t> {
        RecipientTransaction transaction(m_database);
        if (auto begun = transaction.begin(); !begun) {
            return begun.error();
        }
        std::int64_t count = 0;
        auto found = m_database.find(kGroupField, FindOperator::Equals, groupName);
        while (found && !m_database.noMatch()) {
            // Find ignores case; group names do not.
            if (m_database.field(kGroupField) == groupName) {
                if (auto removed = m_database.deleteRecord(); !removed) {
                    return removed.error();
                }
                ++count;
            }
            found = m_database.findNext();
        }
        if (!found) {
            return found.error();
        }
        if (auto committed = transaction.commit(); !committed) {
            return committed.error();
        }
        return count;
    }();
    if (!deleted) {
        return fail(deleted.error());
    }
    closeDatabase();
    if (*deleted == 0) {
        return true;
    }
    return compactAfterDelete(m_dataDir, kExclusionListName, kGroupExtension, m_safeDelete, m_progress, m_prompter,
                              "CleanExclusionList: ");
}

bool GroupStore::renameExclusionEntries()
{
    m_status.showStatus(text::kUpdatingExclusions);
    const auto file = exclusionListFile();
    if (m_oldGroupPath.empty() || m_newGroupPath.empty() || !RecipientStore::isDatabase(file)) {
        return true;
    }
    const auto oldName = groupNameOfPath(m_oldGroupPath);
    const auto newName = groupNameOfPath(m_newGroupPath);
    closeDatabase();
    const auto fail = [this](const Error& error) {
        closeDatabase();
        m_prompter.message(text::procedureError("UpdateExclusionList: ", error), Icon::Critical);
        return false;
    };
    if (auto opened = m_database.open(file); !opened) {
        return fail(opened.error());
    }
    const auto renamed = [&]() -> Result<void> {
        RecipientTransaction transaction(m_database);
        if (auto begun = transaction.begin(); !begun) {
            return begun;
        }
        auto found = m_database.find(kGroupField, FindOperator::Equals, oldName);
        while (found && !m_database.noMatch()) {
            if (m_database.field(kGroupField) == oldName) {
                if (auto set = m_database.setField(kGroupField, newName); !set) {
                    return set;
                }
            }
            found = m_database.findNext();
        }
        if (!found) {
            return found;
        }
        return transaction.commit();
    }();
    if (!renamed) {
        return fail(renamed.error());
    }
    closeDatabase();
    return true;
}

void GroupStore::reportMissingGroup()
{
    closeDatabase();
    m_prompter.message(text::kGroupNoLongerExists, Icon::Critical);
    writeGroupList();
    loadGroups();
}

void GroupStore::reportInvalidGroup(std::string_view name)
{
    closeDatabase();
    m_prompter.message(text::notValidGroup(name), Icon::Critical);
    loadGroups();
}

} // namespace tidecast::store
