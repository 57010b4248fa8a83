#pragma once

#include "commands/MaintenanceContext.h"
#include "store/CommandOutcome.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::commands
{

struct RepairCounts
{
    std::int64_t checked = 0;
    std::int64_t damaged = 0; // records without an "@" in the address, deleted
};

// Sorting and repairing group files. The texts of the sort and repair windows go to the
// context's progress label, their bars to its value.
class GroupMaintenance
{
public:
    explicit GroupMaintenance(MaintenanceContext context);

    // The sort window's field labels: the recipient fields, then "Date Added".
    static const std::vector<std::string_view>& sortFieldLabels();

    // Sort is refused while "DBSafe Delete" is on; true (after the message) when refused.
    bool refusesSort();
    // Orders each group file by the stored field, in the order given.
    store::CommandOutcome sortGroups(const std::vector<std::string>& groups, std::string_view field);

    // Deletes the records whose address holds no "@", compacts when any went and reports what
    // it checked. Stopping keeps what was deleted so far and still compacts and reports.
    store::CommandOutcome repairGroup(std::string_view group, std::stop_token stop = {});
    const RepairCounts& repairCounts() const { return m_counts; }

private:
    store::CommandOutcome failed(std::string_view tag, const Error& error);

    MaintenanceContext m_context;
    RepairCounts m_counts;
};

} // namespace tidecast::commands
