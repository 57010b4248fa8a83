#pragma once

#include "mailing/SendMonitor.h"
#include "mailing/SendSession.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::mailing
{

// What the results of a finished mailing show.
struct SendSummary
{
    std::string subject;
    std::string groupName;
    std::int64_t groupSize = 0;
    bool partialSend = false;
    std::int64_t partialStart = 0;
    std::int64_t partialEnd = 0;
    SendResult result = SendResult::None;
    SendCounters counters;
    std::int64_t elapsedSeconds = 0;
};

SendSummary summarise(const SendSession& session, std::string subject);

// "Message Successfully Mailed", "Partial Mailing Stopped by User", ...
std::string statusLine(SendResult result, std::int64_t sent, bool partialSend);
// The group size, followed for a partial mailing by the size of its window.
std::string groupSizeText(const SendSummary& summary);

// The five logs the results offer, in the selector's order.
struct LogChoice
{
    std::string_view title; // "Session Log", ...
    std::string_view file;  // "session.log", ...
};
const std::array<LogChoice, 5>& logChoices();

// The printed report: the lines above the log, then the log wrapped at 105 characters.
inline constexpr std::size_t kReportWidth = 105;
std::vector<std::string> resultsReport(const SendSummary& summary, std::string_view date, std::string_view logText);

// The command line's summary: the status line, then the group and the counts, one per line.
std::vector<std::string> summaryLines(const SendSummary& summary);

} // namespace tidecast::mailing
