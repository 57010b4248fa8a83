#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tidecast::mailing
{

inline constexpr std::string_view kTechSection = "Tech";

// The cumulative usage statistics of the settings file, read when a session starts.
struct TechCounters
{
    std::int64_t scount = 0; // recipients mailed, all sessions
    std::int64_t bcount = 0; // of them in bulk sessions
    std::int64_t pcount = 0; // of them in personal sessions
    std::int64_t ecount = 0; // recipient errors
    std::int64_t mcount = 0; // sessions
    std::int64_t tcount = 0; // seconds spent sending
};

// What one session adds to them.
struct SessionTotals
{
    std::int64_t sent = 0;
    std::int64_t errors = 0;
    bool bulk = false;
    std::int64_t seconds = 0;
};

TechCounters readTechCounters(const std::filesystem::path& settingsFile);

// Adds the session to the counters read at its start and records it as the last session, with
// today's date. One write of the settings file.
void SavetechInfo(const std::filesystem::path& settingsFile, const TechCounters& before, const SessionTotals& session,
                  std::chrono::system_clock::time_point today);

// "Action": the outcome of the last session; "LError": the last transmission or session error.
void writeLastAction(const std::filesystem::path& settingsFile, std::string_view action);
void writeLastError(const std::filesystem::path& settingsFile, std::string_view error);

} // namespace tidecast::mailing
