#include "commands/GroupMaintenance.h"

#include "commands/MaintenanceTexts.h"
#include "store/Compaction.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"
#include "store/StoreTexts.h"

#include <utility>

namespace tidecast::commands
{

using store::CommandOutcome;
using store::RecipientStore;

namespace
{

constexpr std::string_view kSortErrorTag = "SortGroups: ";
constexpr std::string_view kRepairErrorTag = "RepairGroup: ";
constexpr std::int64_t kPercentMaximum = 100;
constexpr std::int64_t kProgressBatch = 1000;

} // namespace

GroupMaintenance::GroupMaintenance(MaintenanceContext context)
    : m_context(std::move(context))
{}

const std::vector<std::string_view>& GroupMaintenance::sortFieldLabels()
{
    static const std::vector<std::string_view> labels = [] {
        std::vector<std::string_view> out;
        for (const auto& info : store::recipientFields()) {
            out.push_back(info.label);
        }
        out.push_back(store::kDateAddedLabel);
        return out;
    }();
    return labels;
}

CommandOutcome GroupMaintenance::failed(std::string_view tag, const Error& error)
{
    m_context.progress.setValue(0);
    m_context.prompter.message(store::text::procedureError(tag, error), Icon::Critical);
    return CommandOutcome::Failed;
}

bool GroupMaintenance::refusesSort()
{
    if (m_context.safeDelete) {
        m_context.prompter.message(text::kSortRefused, Icon::Exclamation);
    }
    return m_context.safeDelete;
}

CommandOutcome GroupMaintenance::sortGroups(const std::vector<std::string>& groups, std::string_view field)
{
    if (refusesSort()) {
        return CommandOutcome::Refused;
    }
    auto& progress = m_context.progress;
    progress.setLabel(text::kSorting);
    for (const auto& group : groups) {
        const auto path = m_context.dataDir / (group + std::string(store::kGroupExtension));
        if (!RecipientStore::isDatabase(path)) {
            m_context.prompter.message(store::text::notValidGroup(group), Icon::Critical);
            return CommandOutcome::Refused;
        }
        progress.setMaximum(kPercentMaximum);
        progress.setValue(0);
        auto sorted = RecipientStore::sort(path, field, [&progress](int percent) { progress.setValue(percent); });
        if (!sorted) {
            return failed(kSortErrorTag, sorted.error());
        }
    }
    progress.setValue(0);
    progress.setLabel("");
    return CommandOutcome::Done;
}

CommandOutcome GroupMaintenance::repairGroup(std::string_view group, std::stop_token stop)
{
    auto& progress = m_context.progress;
    m_counts = {};
    progress.setLabel(text::kOpening);
    const auto path = m_context.dataDir / (std::string(group) + std::string(store::kGroupExtension));
    RecipientStore file;
    if (!RecipientStore::isDatabase(path)) {
        m_context.prompter.message(store::text::notValidGroup(group), Icon::Critical);
        return CommandOutcome::Refused;
    }
    if (auto opened = file.open(path); !opened) {
        return failed(kRepairErrorTag, opened.error());
    }
    const auto count = file.recordCount();
    const int address = file.fieldIndex("EmailAddress");
    bool stopped = false;
    if (count > 0) {
        progress.setLabel(text::kChecking);
        progress.setMaximum(count);
        store::RecipientTransaction transaction(file);
        auto step = transaction.begin();
        if (step) {
            step = file.moveFirst();
        }
        for (std::int64_t i = 1; step && i <= count && !file.atEnd(); ++i) {
            if (stop.stop_requested()) {
                stopped = true;
                break;
            }
            ++m_counts.checked;
            if (file.field(address).find('@') == std::string::npos) {
                step = file.deleteRecord();
                m_counts.damaged += step ? 1 : 0;
            }
            if (step) {
                step = file.moveNext();
            }
            if (i % kProgressBatch == 0) {
                progress.setValue(i);
            }
        }
        if (step) {
            step = transaction.commit();
        }
        if (!step) {
            return failed(kRepairErrorTag, step.error());
        }
    }
    if (auto closed = file.close(); !closed) {
        return failed(kRepairErrorTag, closed.error());
    }
    progress.setValue(0);
    if (m_counts.damaged > 0) {
        progress.setLabel(text::kRepairing);
        if (!store::compactAfterDelete(m_context.dataDir, group, store::kGroupExtension, m_context.safeDelete, progress,
                                       m_context.prompter, kRepairErrorTag)) {
            return CommandOutcome::Failed;
        }
    }
    m_context.prompter.message(text::repairReport(group, m_counts.checked, m_counts.damaged), Icon::Information);
    return stopped ? CommandOutcome::Stopped : CommandOutcome::Done;
}

} // namespace tidecast::commands
