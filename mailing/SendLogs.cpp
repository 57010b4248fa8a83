#include "mailing/SendLogs.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
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

namespace
{

// Keeps an earlier log under a name with the time: "sent.log" -> "sent 2026-03-14 12.00.00.log"
// (or "... (2).log" when that name is taken). Moves the file, or with `copy` leaves it in place
// and keeps a copy. Nothing happens to an empty or missing log.
void setAside(const std::filesystem::path& log, std::chrono::system_clock::time_point now, bool copy = false)
{
    std::error_code ec;
    if (std::filesystem::file_size(log, ec) == 0 || ec) {
        return;
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H.%M.%S", &local);
    const auto stem = log.stem().string() + " " + stamp;
    const auto extension = log.extension().string();
    for (int n = 1;; ++n) {
        auto target =
            log.parent_path() / (n == 1 ? stem + extension : stem + " (" + std::to_string(n) + ")" + extension);
        if (std::filesystem::exists(target, ec)) {
            continue;
        }
        if (copy) {
            std::filesystem::copy_file(log, target, ec);
        } else {
            std::filesystem::rename(log, target, ec);
        }
        return;
    }
}

// True when the file is missing, empty or ends with a line break.
bool endsWholeLine(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || in.tellg() <= 0) {
        return true;
    }
    in.seekg(-1, std::ios::end);
    return in.get() == '\n';
}

} // namespace

void SendLogs::open(const std::filesystem::path& dataDir, std::chrono::system_clock::time_point now, bool carrySentLog)
{
    std::error_code ignored;
    std::filesystem::create_directories(folder(dataDir), ignored);
    for (const auto name :
         {kRecipientErrorsLogFile, kSentLogFile, kFiltersLogFile, kExclusionLogFile, kSessionLogFile}) {
        // The sent log that a resume reads as its block file is continued, never emptied, so a
        // kill at any moment leaves it naming everybody mailed; a copy keeps how it was.
        setAside(file(dataDir, name), now, carrySentLog && name == kSentLogFile);
    }
    m_recipientErrors.open(file(dataDir, kRecipientErrorsLogFile));
    const auto sent = file(dataDir, kSentLogFile);
    const bool wholeLines = endsWholeLine(sent);
    m_sent.open(sent, carrySentLog ? LogFile::Mode::Append : LogFile::Mode::Replace);
    if (carrySentLog && !wholeLines) {
        m_sent.writeLine({}); // ends a line cut short, so the next address stands on its own
    }
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
