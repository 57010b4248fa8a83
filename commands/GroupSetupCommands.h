#pragma once

#include "common/Result.h"
#include "store/CommandOutcome.h"
#include "store/GroupStore.h"
#include "store/RecipientRecord.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::commands
{

// One row of the recipient list: first name, last name and address. A row is tied to its record
// only by the address.
struct RecipientRow
{
    std::string firstName;
    std::string lastName;
    std::string emailAddress;

    bool operator==(const RecipientRow&) const = default;
};

// The list keeps the first 32000 recipients of a group so it stays responsive; the rest are
// reached through the search.
inline constexpr std::size_t kMaxListedRecipients = 32000;

// What the recipient dialog does after OK.
struct RecipientDialogResult
{
    store::CommandOutcome outcome = store::CommandOutcome::Refused;
    bool closeDialog = false;
};

// The recipients of the selected group as the main window shows them, and the procedures that
// add, modify, delete and look them up. Works through the group store's database instance and
// collaborators. Only ever used from one thread.
class GroupSetupCommands
{
public:
    explicit GroupSetupCommands(store::GroupStore& groups);

    // The group selected in the visible group list ("" for none).
    void setGroup(std::string name) { m_group = std::move(name); }
    const std::string& group() const { return m_group; }
    // In the groups-only view adding a recipient only refreshes the group's count.
    void setGroupsOnlyView(bool on) { m_groupsOnly = on; }
    bool groupsOnlyView() const { return m_groupsOnly; }
    // Whether a search is there to reach the recipients beyond the list's limit; the message about
    // the limit only points to it when it is.
    void setSearchAvailable(bool available) { m_searchAvailable = available; }
    // The recipient dialog adds a recipient, or overwrites the one with this address.
    void setAdding() { setModifying({}); }
    void setModifying(std::string address) { m_modifiedAddress = std::move(address); }
    bool modifying() const { return !m_modifiedAddress.empty(); }
    const std::string& modifiedAddress() const { return m_modifiedAddress; }

    store::GroupStore& groups() { return m_groups; }
    const std::vector<RecipientRow>& rows() const { return m_rows; }
    // Index of the first row with this address (exact), or -1.
    int rowOf(std::string_view address) const;

    // Fills the list with the group's first 32000 recipients (telling the person when there are
    // more) and refreshes the group's count. False when the group is gone or could not be read.
    bool loadRecipients();
    // Adds a recipient to the selected group or, while modifying, overwrites the one being
    // modified. The title is cut to its stored length; the date added is set when the record is
    // new. True when written.
    bool saveRecipient(const store::RecipientRecord& record);
    void appendRow(std::string_view firstName, std::string_view lastName, std::string_view emailAddress);
    // Deletes one recipient, compacts the file and drops its row. False when not found.
    bool removeRecipient(std::string_view emailAddress);
    // True when the exclusion list excludes the address for this group or for "All Groups".
    [[nodiscard]] Result<bool> isExcluded(std::string_view emailAddress, std::string_view groupName);

    // The record with this address in the selected group, for the modify dialog.
    std::optional<store::RecipientRecord> findRecipient(std::string_view emailAddress);

    // Add recipient: the group checks, then the dialog title (nullopt after a message).
    std::optional<std::string> beginAddRecipient();
    void finishAddRecipient();
    // Modify recipient: the group and selection checks, modifying mode, then the dialog title.
    std::optional<std::string> beginModifyRecipient(std::string_view selectedAddress);
    // The recipient dialog's OK: address checks, exclusion question, then the write.
    RecipientDialogResult acceptRecipientDialog(const store::RecipientRecord& input);

    // Delete recipients: checks, the question, then removeRecipients and a reload.
    store::CommandOutcome deleteRecipients(const std::vector<std::string>& selectedAddresses);
    // Deletes every listed address found in the selected group in one transaction, then
    // compacts once. `removed` receives how many went.
    store::CommandOutcome removeRecipients(const std::vector<std::string>& addresses, std::int64_t* removed = nullptr);

private:
    bool failed(std::string_view tag, const Error& error);
    // Opens the selected group in the main window's database instance. A group file that is gone
    // gets "This group no longer exists." (missingIsGone) or the invalid-group message, each with
    // its list rebuild; an open error gets the procedure's tagged message.
    bool openGroup(std::string_view tag, bool missingIsGone);

    store::GroupStore& m_groups;
    std::string m_group;
    bool m_groupsOnly = false;
    bool m_searchAvailable = false;
    std::string m_modifiedAddress;
    std::vector<RecipientRow> m_rows;
};

} // namespace tidecast::commands
