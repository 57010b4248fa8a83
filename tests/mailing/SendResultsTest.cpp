#include "mailing/SendResults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tidecast::mailing
{
namespace
{

TEST(SendResults, StatusLineFollowsResultSentCountAndPartialWindow)
{
    struct Case
    {
        SendResult result;
        std::int64_t sent;
        const char* whole;
        const char* partial;
    };
    const Case cases[] = {
        {SendResult::Completed, 3, "Message Successfully Mailed", "Partial Send Completed Successfully"},
        {SendResult::Completed, 0, "Send Process Complete - (NOTE: 0 Recipients Mailed)",
         "Partial Send Process Complete - (NOTE: 0 Recipients Mailed)"},
        {SendResult::StoppedByUser, 3, "Mailing Stopped by User", "Partial Mailing Stopped by User"},
        {SendResult::StoppedAfterError, 3, "Mailing Terminated by User after Error",
         "Partial Mailing Terminated by User after Error"},
        {SendResult::EndedByError, 3, "Mailing Terminated by Error", "Partial Mailing Terminated by Error"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(statusLine(c.result, c.sent, false), c.whole);
        EXPECT_EQ(statusLine(c.result, c.sent, true), c.partial);
    }
}

TEST(SendResults, ReportAndSummaryLines)
{
    SendSummary summary;
    summary.subject = "News";
    summary.groupName = "Friends";
    summary.groupSize = 10;
    summary.partialSend = true;
    summary.partialStart = 3;
    summary.partialEnd = 5;
    summary.result = SendResult::Completed;
    summary.counters = {3, 1, 2, 4, 5, 10};
    summary.elapsedSeconds = 61;

    EXPECT_EQ(groupSizeText(summary), "10  - Partial Send Window Size = 3");
    const std::string longLine = std::string(110, 'a') + " tail";
    EXPECT_THAT(resultsReport(summary, "2026-03-14", "one\r\n" + longLine + "\r\n"),
                ::testing::ElementsAre("Message Subject: News", "", "To Group: Friends (10 recipients)",
                                       "Date: 2026-03-14", "Status: Partial Send Completed Successfully",
                                       "Sent To: 3   Excluded: 1   Filtered: 2   Errors: 4", "Time Taken: 00:01:01", "",
                                       "one", std::string(110, 'a') + " ", "tail"));
    EXPECT_THAT(summaryLines(summary),
                ::testing::ElementsAre("Partial Send Completed Successfully", "Group: Friends (10 recipients)",
                                       "Sent To: 3", "Excluded: 1", "Filtered: 2", "Errors: 4",
                                       "Time Taken: 00:01:01"));
}

} // namespace
} // namespace tidecast::mailing
