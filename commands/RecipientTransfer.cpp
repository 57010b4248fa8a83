#include "commands/RecipientTransfer.h"

#include "commands/MaintenanceTexts.h"
#include "store/Compaction.h"
#include "store/GroupNames.h"
#include "store/LocalDate.h"
#include "store/RecipientRecord.h"
#include "store/StoreTexts.h"

#include <utility>

namespace tidecast::commands
{

using store::CommandOutcome;
using store::FindOperator;
using store::RecipientStore;

namespace
{

constexpr std::string_view kAddressField = "EmailAddress";
constexpr std::string_view kErrorTag = "CopyMoveRecipients: ";
constexpr std::int64_t kProgressBatch = 1000;

} // namespace

RecipientTransfer::RecipientTransfer(MaintenanceContext context, TransferRequest request)
    : m_context(std::move(context))
    , m_request(std::move(request))
{}

CommandOutcome RecipientTransfer::failed(const Error& error)
{
    m_source.rollbackTransaction();
    m_destination.rollbackTransaction();
    (void)m_source.close();
    (void)m_destination.close();
    m_context.progress.setValue(0);
    m_context.prompter.message(store::text::procedureError(kErrorTag, error), Icon::Critical);
    m_summary.outcome = CommandOutcome::Failed;
    return m_summary.outcome;
}

std::filesystem::path RecipientTransfer::groupFile(const std::string& group) const
{
    return m_context.dataDir / (group + std::string(store::kGroupExtension));
}

TransferCheck RecipientTransfer::check()
{
    if (m_request.source.empty() || !RecipientStore::isDatabase(groupFile(m_request.source))) {
        m_context.prompter.message(text::kSourceInvalid, Icon::Exclamation);
        return TransferCheck::SourceInvalid;
    }
    if (m_request.destination.empty() || !RecipientStore::isDatabase(groupFile(m_request.destination))) {
        m_context.prompter.message(text::kDestinationInvalid, Icon::Exclamation);
        return TransferCheck::DestinationInvalid;
    }
    // Moving a group into itself would overwrite each recipient and then delete it.
    if (m_request.source == m_request.destination) {
        m_context.prompter.message(text::kDestinationIsSource, Icon::Exclamation);
        return TransferCheck::DestinationInvalid;
    }
    return TransferCheck::Ready;
}

void RecipientTransfer::settleExisting(const std::string& address, bool& write, bool& remove)
{
    auto& prompter = m_context.prompter;
    const Answer overwrite = m_request.overwrite ? Answer::Yes
                                                 : prompter.ask(text::overwriteQuestion(address), Buttons::YesNo,
                                                                Icon::Question, Answer::No);
    write = overwrite == Answer::Yes;
    remove = write && isMove();
    if (write) {
        return;
    }
    if (isMove()) {
        remove = prompter.ask(text::deleteAnywayQuestion(address, m_request.source), Buttons::YesNo, Icon::Question,
                              Answer::No) == Answer::Yes;
    }
    m_summary.declined = m_summary.declined || !remove;
}

Result<void> RecipientTransfer::transferOne(const std::string& address)
{
    // The address column is indexed: two look-ups per recipient however large the groups are.
    if (auto found = m_source.find(kAddressField, FindOperator::Equals, address); !found) {
        return found;
    }
    if (m_source.noMatch()) {
        m_summary.notFound.push_back(address);
        return {};
    }
    auto record = store::readRecipient(m_source);
    record.dateAdded = m_today;
    if (auto found = m_destination.find(kAddressField, FindOperator::Equals, address); !found) {
        return found;
    }
    bool write = true;
    bool remove = isMove();
    if (!m_destination.noMatch()) {
        settleExisting(address, write, remove);
    } else if (auto added = m_destination.addNew(); !added) {
        return added;
    }
    if (write) {
        store::writeRecipient(m_destination, record);
        ++m_summary.written;
    }
    if (remove) {
        m_taken.push_back(address);
    }
    return {};
}

CommandOutcome RecipientTransfer::writeDestination(std::stop_token stop)
{
    m_today = store::formatShortDate(m_context.clock.now());
    if (auto opened = m_source.open(groupFile(m_request.source)); !opened) {
        return failed(opened.error());
    }
    if (auto opened = m_destination.open(groupFile(m_request.destination)); !opened) {
        return failed(opened.error());
    }
    auto& progress = m_context.progress;
    progress.setMaximum(static_cast<std::int64_t>(m_request.addresses.size()));
    store::RecipientTransaction transaction(m_destination);
    if (auto begun = transaction.begin(); !begun) {
        return failed(begun.error());
    }
    CommandOutcome outcome = CommandOutcome::Done;
    for (std::size_t i = 0; i < m_request.addresses.size(); ++i) {
        if (stop.stop_requested()) {
            outcome = CommandOutcome::Stopped;
            break;
        }
        if (auto moved = transferOne(m_request.addresses[i]); !moved) {
            return failed(moved.error());
        }
        if ((i + 1) % kProgressBatch == 0) {
            progress.setValue(static_cast<std::int64_t>(i + 1));
        }
    }
    if (auto committed = transaction.commit(); !committed) {
        return failed(committed.error());
    }
    if (auto closed = m_destination.close(); !closed) {
        return failed(closed.error());
    }
    (void)m_source.close();
    progress.setValue(0);
    return outcome;
}

CommandOutcome RecipientTransfer::removeFromSource()
{
    if (m_taken.empty()) {
        return CommandOutcome::Done;
    }
    if (auto opened = m_source.open(groupFile(m_request.source)); !opened) {
        return failed(opened.error());
    }
    store::RecipientTransaction transaction(m_source);
    if (auto begun = transaction.begin(); !begun) {
        return failed(begun.error());
    }
    for (const auto& address : m_taken) {
        if (auto found = m_source.find(kAddressField, FindOperator::Equals, address); !found) {
            return failed(found.error());
        }
        if (m_source.noMatch()) {
            continue;
        }
        if (auto deleted = m_source.deleteRecord(); !deleted) {
            return failed(deleted.error());
        }
        ++m_summary.removed;
    }
    if (auto committed = transaction.commit(); !committed) {
        return failed(committed.error());
    }
    if (auto closed = m_source.close(); !closed) {
        return failed(closed.error());
    }
    m_taken.clear();
    return CommandOutcome::Done;
}

TransferSummary RecipientTransfer::run(std::stop_token stop)
{
    auto& status = m_context.status;
    if (check() != TransferCheck::Ready) {
        m_summary.outcome = CommandOutcome::Refused;
        return m_summary;
    }
    status.showStatus(isMove() ? text::kMoving : text::kCopying);
    const auto written = writeDestination(stop);
    if (written == CommandOutcome::Failed || removeFromSource() == CommandOutcome::Failed) {
        return m_summary;
    }
    status.showStatus(isMove() ? text::kMoveComplete : text::kCopyComplete);
    if (m_summary.removed > 0) {
        status.showStatus(text::kCompacting);
        if (!store::compactAfterDelete(m_context.dataDir, m_request.source, store::kGroupExtension,
                                       m_context.safeDelete, m_context.progress, m_context.prompter, kErrorTag)) {
            m_summary.outcome = CommandOutcome::Failed;
            return m_summary;
        }
        status.showStatus(text::kCompactComplete);
    }
    m_summary.outcome =
        written == CommandOutcome::Stopped || m_summary.declined ? CommandOutcome::Stopped : CommandOutcome::Done;
    return m_summary;
}

} // namespace tidecast::commands
