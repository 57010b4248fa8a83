#pragma once

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/StatusSink.h"
#include "store/GroupStore.h"

#include <filesystem>

namespace tidecast::commands
{

// What a maintenance job (copy, move, sort, repair) works with. The job opens its own database
// instances, so it may run on a worker thread when the collaborators may be called from one.
struct MaintenanceContext
{
    std::filesystem::path dataDir;
    Prompter& prompter;
    StatusSink& status;
    Progress& progress;
    const Clock& clock;
    bool safeDelete = false; // "DBSafe Delete": compact with the safe rebuild
};

// The group store's own collaborators and settings.
inline MaintenanceContext maintenanceContext(store::GroupStore& groups)
{
    return {groups.dataDir(),  groups.prompter(), groups.status(),
            groups.progress(), groups.clock(),    groups.safeDelete()};
}

} // namespace tidecast::commands
