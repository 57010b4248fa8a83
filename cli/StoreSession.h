#pragma once

#include "cli/CliContext.h"
#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "store/CommandOutcome.h"
#include "store/GroupStore.h"

#include <string_view>

namespace tidecast::cli
{

// The group store of the data folder as the command line uses it: messages go to stderr
// through the context's prompter, compaction follows the "DBSafe Delete" setting.
class StoreSession
{
public:
    explicit StoreSession(CliContext& context);

    store::GroupStore& groups() { return m_groups; }

    // Loads the group list and tells whether `name` is one of its groups; when not, reports
    // the group as gone, as the desktop does.
    bool requireGroup(std::string_view name);

private:
    NullStatusSink m_status;
    NullProgress m_progress;
    SystemClock m_clock;
    store::GroupStore m_groups;
};

int exitStatus(store::CommandOutcome outcome);

} // namespace tidecast::cli
