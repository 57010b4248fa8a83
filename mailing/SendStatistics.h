#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tidecast::mailing
{

inline constexpr std::string_view kTechSection = "Tech";

// The cumulative usage statistics of the settings file, read when a session starts.
struct SendStatistics
{
    std::int64_t recipientsSent = 0;         // "scount": recipients mailed, all sessions
    std::int64_t bulkRecipientsSent = 0;     // "bcount": of them in bulk sessions
    std::int64_t personalRecipientsSent = 0; // "pcount": of them in personal sessions
    std::int64_t recipientErrors = 0;        // "ecount": recipient errors
    std::int64_t sessions = 0;               // "mcount": sessions
    std::int64_t secondsSending = 0;         // "tcount": seconds spent sending
};

// What one session adds to them.
struct SessionTotals
{
    std::int64_t sent = 0;
    std::int64_t errors = 0;
    bool bulk = false;
    std::int64_t seconds = 0;
};

SendStatistics readStatistics(const std::filesystem::path& settingsFile);

// Adds the session to the counters read at its start and records it as the last session, with
// today's date. One write of the settings file.
void writeStatistics(const std::filesystem::path& settingsFile, const SendStatistics& before,
                     const SessionTotals& session, std::chrono::system_clock::time_point today);

// "Action": the outcome of the last session; "LError": the last transmission or session error.
void writeLastAction(const std::filesystem::path& settingsFile, std::string_view action);
void writeLastError(const std::filesystem::path& settingsFile, std::string_view error);

} // namespace tidecast::mailing
