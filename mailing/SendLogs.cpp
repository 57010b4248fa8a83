#include "mailing/SendLogs.h"

#include <system_error>

namespace tidecast::mailing
{

std::filesystem::path SendLogs::folder(const std::filesystem::path& dataDir)
{
    return dataDir / kLogsFolder;
}

std::filesystem::path SendLogs::file(const std::filesystem::path& dataDir, std::string_view name)
{
    return folder(dataDir) / name;
}

void SendLogs::open(const std::filesystem::path& dataDir)
{
    std::error_code ignored;
    std::filesystem::create_directories(folder(dataDir), ignored);
    m_recipientErrors.open(file(dataDir, kRecipientErrorsLogFile));
    m_sent.open(file(dataDir, kSentLogFile));
    m_filters.open(file(dataDir, kFiltersLogFile));
    m_exclusion.open(file(dataDir, kExclusionLogFile));
    m_session.open(file(dataDir, kSessionLogFile));
}

std::optional<Error> SendLogs::failure() const
{
    for (const LogFile* log : {&m_sent, &m_recipientErrors, &m_exclusion, &m_filters, &m_session}) {
        if (log->failed()) {
            return Error{ErrorCode::FileWrite, "Cannot write the log " + log->failure(), log->failureNumber()};
        }
    }
    return std::nullopt;
}

void SendLogs::close()
{
    m_recipientErrors.close();
    m_sent.close();
    m_filters.close();
    m_exclusion.close();
    m_session.close();
}

} // namespace tidecast::mailing
