#include "cli/StoreSession.h"

#include "settings/SettingsStore.h"

namespace tidecast::cli
{

StoreSession::StoreSession(CliContext& context)
    : m_groups(context.paths.dataDir, *context.prompter, m_status, m_progress, m_clock)
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

} // namespace tidecast::cli
