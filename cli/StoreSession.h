#pragma once

#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "common/Clock.h"
#include "common/StatusSink.h"
#include "store/CommandOutcome.h"
#include "store/GroupStore.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::cli
{

// The group store of the data folder as the command line uses it: messages go to stderr
// through the context's prompter, progress to a bar on a terminal, compaction follows the
// "DBSafe Delete" setting.
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
    TerminalProgress m_progress;
    SystemClock m_clock;
    store::GroupStore m_groups;
};

int exitStatus(store::CommandOutcome outcome);

// The warning for an address that a command was given but the group does not hold.
std::string notInGroup(std::string_view address);

// One record as `recipients list` prints it: the values tab-separated, a tab or line break inside
// a value replaced by a blank so that each record stays one line.
void printRecord(std::ostream& out, const std::vector<std::string_view>& values);

} // namespace tidecast::cli
