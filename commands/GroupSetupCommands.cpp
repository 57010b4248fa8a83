#include "commands/GroupSetupCommands.h"

#include "common/MailAddress.h"
#include "common/Text.h"
#include "store/Compaction.h"
#include "store/LocalDate.h"
#include "store/RecipientInput.h"
#include "store/StoreTexts.h"

#include <algorithm>

namespace tidecast::commands
{

using store::CommandOutcome;
using store::FindOperator;
using store::GroupStore;
using store::RecipientField;
using store::RecipientRecord;
using store::RecipientStore;
namespace text = store::text;

namespace
{

constexpr std::string_view kAddressField = "EmailAddress";
constexpr std::string_view kGroupField = "Group";
constexpr std::int64_t kProgressBatch = 1000;

} // namespace

GroupSetupCommands::GroupSetupCommands(GroupStore& groups)
    : m_groups(groups)
{}

int GroupSetupCommands::rowOf(std::string_view address) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].emailAddress == address) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool GroupSetupCommands::failed(std::string_view tag, const Error& error)
{
    m_groups.database().rollbackTransaction();
    m_groups.closeDatabase();
    m_groups.prompter().message(text::procedureError(tag, error), Icon::Critical);
    return false;
}

bool GroupSetupCommands::openGroup(std::string_view tag, bool missingIsGone)
{
    const auto path = m_groups.groupPath(m_group);
    if (!RecipientStore::isDatabase(path)) {
        if (missingIsGone) {
            m_groups.reportMissingGroup();
        } else {
            m_groups.reportInvalidGroup(m_group);
        }
        return false;
    }
    m_groups.closeDatabase();
    if (auto opened = m_groups.database().open(path); !opened) {
        return failed(tag, opened.error());
    }
    return true;
}

bool GroupSetupCommands::loadRecipients()
{
    m_rows.clear();
    auto& progress = m_groups.progress();
    progress.setValue(0);
    if (m_group.empty()) {
        return false;
    }
    constexpr std::string_view tag = "LoadDBUsers: ";
    if (!openGroup(tag, true)) {
        return false;
    }
    auto& db = m_groups.database();
    const auto count = db.recordCount();
    const auto listed = std::min<std::int64_t>(count, static_cast<std::int64_t>(kMaxListedRecipients));
    progress.setMaximum(listed);
    const std::vector<int> columns = {db.fieldIndex("FirstName"), db.fieldIndex("LastName"),
                                      db.fieldIndex(kAddressField)};
    m_rows.reserve(static_cast<std::size_t>(listed));
    auto read = db.readRecords(listed, columns, [this, &progress](const std::vector<std::string_view>& values) {
        m_rows.push_back({std::string(values[0]), std::string(values[1]), std::string(values[2])});
        if (m_rows.size() % kProgressBatch == 0) {
            progress.setValue(static_cast<std::int64_t>(m_rows.size()));
        }
    });
    if (!read) {
        m_rows.clear();
        return failed(tag, read.error());
    }
    if (count > static_cast<std::int64_t>(kMaxListedRecipients)) {
        m_groups.prompter().message(m_searchAvailable ? text::kListCapped : text::kListCappedWithoutSearch,
                                    Icon::Information);
    }
    m_groups.setCount(m_group, count);
    m_groups.closeDatabase();
    progress.setValue(0);
    return true;
}

bool GroupSetupCommands::saveRecipient(const RecipientRecord& input)
{
    m_groups.status().showStatus(text::kAddingRecipient);
    using F = RecipientField;
    RecipientRecord record = input;
    record.set(F::Title, cutToChars(input.get(F::Title), store::kStoredTitleLength));
    record.dateAdded.clear();

    constexpr std::string_view tag = "AddRecipient Error: ";
    if (!openGroup(tag, false)) {
        return false;
    }
    auto& db = m_groups.database();
    // The address column is indexed, so this is one look-up however large the group is.
    if (auto found = db.find(kAddressField, FindOperator::Equals, record.emailAddress()); !found) {
        return failed(tag, found.error());
    }
    const bool modifying = this->modifying();
    if (!db.noMatch() && !modifying) {
        m_groups.closeDatabase();
        m_groups.prompter().message(text::kRecipientExists, Icon::Exclamation);
        return false;
    }
    bool isNew = true;
    if (modifying) {
        if (auto found = db.find(kAddressField, FindOperator::Equals, m_modifiedAddress); !found) {
            return failed(tag, found.error());
        }
        isNew = db.noMatch();
    }
    if (isNew) {
        if (auto added = db.addNew(); !added) {
            return failed(tag, added.error());
        }
        // Set once, when the record comes into being; a modification keeps it.
        record.dateAdded = store::formatShortDate(m_groups.clock().now());
    }
    writeRecipient(db, record);
    if (auto written = db.flush(); !written) {
        return failed(tag, written.error());
    }
    // Counting a large file walks all of it; a new record adds one to the count the lists show.
    const int row = m_groups.rowOf(m_group);
    const auto count = isNew && row >= 0    ? m_groups.rows()[static_cast<std::size_t>(row)].count + 1
                       : !isNew && row >= 0 ? m_groups.rows()[static_cast<std::size_t>(row)].count
                                            : db.recordCount();
    if (m_groupsOnly) {
        m_groups.setCount(m_group, count);
    } else if (!modifying) {
        m_groups.setCount(m_group, count);
        appendRow(record.get(F::FirstName), record.get(F::LastName), record.emailAddress());
    } else if (const int listRow = rowOf(m_modifiedAddress); listRow >= 0) {
        m_rows[static_cast<std::size_t>(listRow)] = {record.get(F::FirstName), record.get(F::LastName),
                                                     record.emailAddress()};
    }
    if (auto closed = db.close(); !closed) {
        return failed(tag, closed.error());
    }
    m_groups.status().showStatus("");
    return true;
}

void GroupSetupCommands::appendRow(std::string_view firstName, std::string_view lastName, std::string_view emailAddress)
{
    if (m_rows.size() < kMaxListedRecipients) {
        m_rows.push_back({std::string(firstName), std::string(lastName), std::string(emailAddress)});
    }
}

bool GroupSetupCommands::removeRecipient(std::string_view emailAddress)
{
    constexpr std::string_view tag = "RemoveDBUser: ";
    if (!openGroup(tag, false)) {
        return false;
    }
    auto& db = m_groups.database();
    if (auto found = db.find(kAddressField, FindOperator::Equals, emailAddress); !found) {
        return failed(tag, found.error());
    }
    if (db.noMatch()) {
        m_groups.closeDatabase();
        return false;
    }
    if (auto deleted = db.deleteRecord(); !deleted) {
        return failed(tag, deleted.error());
    }
    if (auto closed = db.close(); !closed) {
        return failed(tag, closed.error());
    }
    if (!store::compactAfterDelete(m_groups.dataDir(), m_group, store::kGroupExtension, m_groups.safeDelete(),
                                   m_groups.progress(), m_groups.prompter(), tag)) {
        return false;
    }
    if (auto opened = db.open(m_groups.groupPath(m_group)); !opened) {
        return failed(tag, opened.error());
    }
    m_groups.setCount(m_group, db.recordCount());
    if (const int row = rowOf(emailAddress); row >= 0) {
        m_rows.erase(m_rows.begin() + row);
    }
    m_groups.closeDatabase();
    return true;
}

Result<bool> GroupSetupCommands::isExcluded(std::string_view emailAddress, std::string_view groupName)
{
    const auto file = m_groups.exclusionListFile();
    if (!RecipientStore::isDatabase(file)) {
        return false;
    }
    m_groups.closeDatabase();
    auto& db = m_groups.database();
    if (auto opened = db.open(file); !opened) {
        return opened.error();
    }
    auto found = db.find(kAddressField, FindOperator::Equals, emailAddress);
    bool excluded = false;
    while (found && !db.noMatch() && !excluded) {
        // Group names compare exactly; the entry may name this group or every group.
        const auto group = db.field(kGroupField);
        excluded = group == groupName || group == store::kAllGroups;
        if (!excluded) {
            found = db.findNext();
        }
    }
    m_groups.closeDatabase();
    if (!found) {
        return found.error();
    }
    return excluded;
}

std::optional<RecipientRecord> GroupSetupCommands::findRecipient(std::string_view emailAddress)
{
    constexpr std::string_view tag = "ModifyRecipient: ";
    if (!openGroup(tag, true)) {
        return std::nullopt;
    }
    auto& db = m_groups.database();
    if (auto found = db.find(kAddressField, FindOperator::Equals, emailAddress); !found) {
        failed(tag, found.error());
        return std::nullopt;
    }
    std::optional<RecipientRecord> record;
    if (!db.noMatch()) {
        record = readRecipient(db);
    }
    m_groups.closeDatabase();
    return record;
}

std::optional<std::string> GroupSetupCommands::beginAddRecipient()
{
    if (m_groups.rows().empty()) {
        m_groups.prompter().message(text::kAddGroupFirst, Icon::Exclamation);
        return std::nullopt;
    }
    if (m_group.empty()) {
        m_groups.prompter().message(text::kSelectGroupFirst, Icon::Exclamation);
        return std::nullopt;
    }
    setAdding();
    m_groups.closeDatabase();
    return text::addRecipientTitle(m_group);
}

void GroupSetupCommands::finishAddRecipient()
{
    (void)m_groups.countRecipients(m_group);
}

std::optional<std::string> GroupSetupCommands::beginModifyRecipient(std::string_view selectedAddress)
{
    if (m_groups.rows().empty()) {
        m_groups.prompter().message(text::kAddGroupFirst, Icon::Exclamation);
        return std::nullopt;
    }
    if (m_group.empty()) {
        m_groups.prompter().message(text::kSelectGroupFirst, Icon::Exclamation);
        return std::nullopt;
    }
    if (m_rows.empty()) {
        m_groups.prompter().message(text::kNoRecipientsInGroup, Icon::Exclamation);
        return std::nullopt;
    }
    if (selectedAddress.empty()) {
        m_groups.prompter().message(text::kSelectRecipientToModify, Icon::Exclamation);
        return std::nullopt;
    }
    setModifying(std::string(selectedAddress));
    m_groups.closeDatabase();
    return text::modifyRecipientTitle(m_group);
}

RecipientDialogResult GroupSetupCommands::acceptRecipientDialog(const RecipientRecord& input)
{
    auto& prompter = m_groups.prompter();
    RecipientRecord record = input;
    const auto address = std::string(trimBlanks(input.emailAddress()));
    record.set(RecipientField::EmailAddress, address);
    if (address.empty()) {
        prompter.message(text::kEnterRecipientEmail, Icon::Exclamation);
        return {};
    }
    if (address.find('@') == std::string::npos || address.find('.') == std::string::npos || !isValidMailbox(address)) {
        prompter.message(text::kEnterValidEmail, Icon::Exclamation);
        return {};
    }
    auto excluded = isExcluded(address, m_group);
    if (!excluded) {
        prompter.message(text::saveRecipientError(excluded.error()), Icon::Critical);
        return {CommandOutcome::Failed, false};
    }
    if (*excluded) {
        switch (prompter.ask(text::kExcludedQuestion, Buttons::YesNoCancel, Icon::Question, Answer::Cancel)) {
        case Answer::Yes:
            break;
        case Answer::No:
            return {CommandOutcome::Stopped, true};
        default:
            return {CommandOutcome::Stopped, false};
        }
    }
    if (saveRecipient(record)) {
        return {CommandOutcome::Done, true};
    }
    return {CommandOutcome::Refused, false};
}

CommandOutcome GroupSetupCommands::deleteRecipients(const std::vector<std::string>& selectedAddresses)
{
    auto& prompter = m_groups.prompter();
    if (m_rows.empty()) {
        prompter.message(text::kNoRecipientsToDelete, Icon::Exclamation);
        return CommandOutcome::Refused;
    }
    if (selectedAddresses.empty()) {
        prompter.message(text::kSelectRecipientToDelete, Icon::Exclamation);
        return CommandOutcome::Refused;
    }
    if (!RecipientStore::isDatabase(m_groups.groupPath(m_group))) {
        return CommandOutcome::Refused;
    }
    if (prompter.ask(text::kDeleteRecipientsQuestion, Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes) {
        return CommandOutcome::Stopped;
    }
    const auto outcome = removeRecipients(selectedAddresses);
    loadRecipients();
    return outcome;
}

CommandOutcome GroupSetupCommands::removeRecipients(const std::vector<std::string>& addresses, std::int64_t* removed)
{
    constexpr std::string_view tag = "DeleteRecipients: ";
    if (!openGroup(tag, false)) {
        return CommandOutcome::Refused;
    }
    auto& db = m_groups.database();
    auto& progress = m_groups.progress();
    store::RecipientTransaction transaction(db);
    if (auto begun = transaction.begin(); !begun) {
        failed(tag, begun.error());
        return CommandOutcome::Refused;
    }
    progress.setMaximum(static_cast<std::int64_t>(addresses.size()));
    std::int64_t deleted = 0;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (auto found = db.find(kAddressField, FindOperator::Equals, addresses[i]); !found) {
            failed(tag, found.error());
            return CommandOutcome::Failed;
        }
        if (!db.noMatch()) {
            if (auto gone = db.deleteRecord(); !gone) {
                failed(tag, gone.error());
                return CommandOutcome::Failed;
            }
            ++deleted;
        }
        if ((i + 1) % kProgressBatch == 0) {
            progress.setValue(static_cast<std::int64_t>(i + 1));
        }
    }
    if (auto committed = transaction.commit(); !committed) {
        failed(tag, committed.error());
        return CommandOutcome::Failed;
    }
    m_groups.closeDatabase();
    progress.setValue(0);
    if (removed != nullptr) {
        *removed = deleted;
    }
    if (deleted > 0 && !store::compactAfterDelete(m_groups.dataDir(), m_group, store::kGroupExtension,
                                                  m_groups.safeDelete(), progress, m_groups.prompter(), tag)) {
        return CommandOutcome::Failed;
    }
    return CommandOutcome::Done;
}

} // namespace tidecast::commands
