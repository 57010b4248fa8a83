#include "cli/StoreSession.h"

#include "settings/SettingsStore.h"

namespace tidecast::cli
{

StoreSession::StoreSession(CliContext& context)
    : m_progress(context.err, context.errIsTerminal)
    , m_groups(context.paths.dataDir, *context.prompter, m_status, m_progress, m_clock)
{
    m_groups.setSafeDelete(
        settings::parseFlag(settings::readValue(context.paths.settingsFile(), "Server Setup", "DBSafe Delete", "0")));
}

bool StoreSession::requireGroup(std::string_view name)
{
    m_groups.loadGroups();
    if (m_groups.rowOf(name) >= 0) {
        return true;
    }
    m_groups.reportMissingGroup();
    return false;
}

int exitStatus(store::CommandOutcome outcome)
{
    switch (outcome) {
    case store::CommandOutcome::Done:
        return kExitDone;
    case store::CommandOutcome::Refused:
        return kExitRefused;
    case store::CommandOutcome::Stopped:
        return kExitStopped;
    case store::CommandOutcome::Failed:
        return kExitFailed;
    }
    return kExitFailed;
}

std::string notInGroup(std::string_view address)
{
    return "The recipient " + std::string(address) + " is not in this group.";
}

void printRecord(std::ostream& out, const std::vector<std::string_view>& values)
{
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            line += '\t';
        }
        for (const char c : values[i]) {
            line += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
        }
    }
    line += '\n';
    out << line;
}

} // namespace tidecast::cli
