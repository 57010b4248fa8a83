#pragma once

#include "common/Result.h"
#include "mailing/LogFile.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

namespace tidecast::mailing
{

inline constexpr std::string_view kLogsFolder = "Logs";
inline constexpr std::string_view kSessionLogFile = "session.log";
inline constexpr std::string_view kSentLogFile = "sent.log";
inline constexpr std::string_view kRecipientErrorsLogFile = "recipient errors.log";
inline constexpr std::string_view kFiltersLogFile = "filters.log";
inline constexpr std::string_view kExclusionLogFile = "exclusion.log";

// The five logs of a mailing, in the "Logs" folder of the data folder. They always describe the
// last mailing; the ones of the mailing before are kept beside them under a name with its time
// ("sent 2026-03-14 12.00.00.log"), never overwritten.
class SendLogs
{
public:
    static std::filesystem::path folder(const std::filesystem::path& dataDir);
    static std::filesystem::path file(const std::filesystem::path& dataDir, std::string_view name);

    // Creates the folder when missing, sets the earlier logs aside with the time `now` in their
    // names and opens the five files in the order recipient errors, sent, filters, exclusion,
    // session. With `carrySentLog` the sent log is continued instead (a copy is set aside): a
    // mailing that resumes from its own sent log keeps it complete for the next resume.
    void open(const std::filesystem::path& dataDir,
              std::chrono::system_clock::time_point now = std::chrono::system_clock::now(), bool carrySentLog = false);
    // CloseLogs
    void close();
    // The first log that could not be created or written, with the cause; none while all is well.
    std::optional<Error> failure() const;

    LogFile& session() { return m_session; }
    LogFile& sent() { return m_sent; }
    LogFile& recipientErrors() { return m_recipientErrors; }
    LogFile& filters() { return m_filters; }
    LogFile& exclusion() { return m_exclusion; }

private:
    LogFile m_session;
    LogFile m_sent;
    LogFile m_recipientErrors;
    LogFile m_filters;
    LogFile m_exclusion;
};

} // namespace tidecast::mailing
