#include "mailing/SendResults.h"

#include "common/Text.h"
#include "common/WordWrap.h"
#include "mailing/SendLogs.h"
#include "mailing/SendTexts.h"

namespace tidecast::mailing
{

SendSummary summarise(const SendSession& session, std::string subject)
{
    const auto& options = session.options();
    SendSummary summary;
    summary.subject = std::move(subject);
    summary.groupName = options.groupName;
    summary.groupSize = session.counters().groupSize;
    summary.partialSend = options.partialSend;
    summary.partialStart = options.partialStart;
    summary.partialEnd = options.partialEnd;
    summary.result = session.result();
    summary.counters = session.counters();
    summary.elapsedSeconds = session.elapsed();
    return summary;
}

std::string statusLine(SendResult result, std::int64_t sent, bool partialSend)
{
    switch (result) {
    case SendResult::Completed:
        if (sent > 0) {
            return partialSend ? "Partial Send Completed Successfully" : "Message Successfully Mailed";
        }
        return partialSend ? "Partial Send Process Complete - (NOTE: 0 Recipients Mailed)"
                           : "Send Process Complete - (NOTE: 0 Recipients Mailed)";
    case SendResult::StoppedByUser:
        return partialSend ? "Partial Mailing Stopped by User" : "Mailing Stopped by User";
    case SendResult::StoppedAfterError:
        return partialSend ? "Partial Mailing Terminated by User after Error"
                           : "Mailing Terminated by User after Error";
    case SendResult::EndedByError:
    case SendResult::None:
        break;
    }
    return partialSend ? "Partial Mailing Terminated by Error" : "Mailing Terminated by Error";
}

std::string groupSizeText(const SendSummary& summary)
{
    std::string text = std::to_string(summary.groupSize);
    if (summary.partialSend) {
        text += text::kPartialWindowSize;
        text += std::to_string(summary.partialEnd - summary.partialStart + 1);
    }
    return text;
}

const std::array<LogChoice, 5>& logChoices()
{
    static const std::array<LogChoice, 5> choices = {{
        {"Session Log", kSessionLogFile},
        {"Sent Log", kSentLogFile},
        {"Recipient Error Log", kRecipientErrorsLogFile},
        {"Exclusion Log", kExclusionLogFile},
        {"Filtered Log", kFiltersLogFile},
    }};
    return choices;
}

std::vector<std::string> resultsReport(const SendSummary& summary, std::string_view date, std::string_view logText)
{
    const auto& c = summary.counters;
    std::vector<std::string> lines = {
        "Message Subject: " + summary.subject,
        "",
        "To Group: " + summary.groupName + " (" + std::to_string(summary.groupSize) + " recipients)",
        "Date: " + std::string(date),
        "Status: " + statusLine(summary.result, c.sent, summary.partialSend),
        "Sent To: " + std::to_string(c.sent) + "   Excluded: " + std::to_string(c.excluded) +
            "   Filtered: " + std::to_string(c.filtered) + "   Errors: " + std::to_string(c.errors),
        "Time Taken: " + formatElapsed(summary.elapsedSeconds),
        "",
    };
    for (auto& line : splitLines(wordWrap(logText, kReportWidth))) {
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> summaryLines(const SendSummary& summary)
{
    const auto& c = summary.counters;
    return {
        statusLine(summary.result, c.sent, summary.partialSend),
        "Group: " + summary.groupName + " (" + std::to_string(summary.groupSize) + " recipients)",
        "Sent To: " + std::to_string(c.sent),
        "Excluded: " + std::to_string(c.excluded),
        "Filtered: " + std::to_string(c.filtered),
        "Errors: " + std::to_string(c.errors),
        "Time Taken: " + formatElapsed(summary.elapsedSeconds),
    };
}

} // namespace tidecast::mailing
