#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The texts of a mailing that a person reads: labels, activity lines, log lines and message boxes.
// Kept in one place so the desktop and the command line say exactly the same thing.
namespace tidecast::mailing::text
{

// The send command's preparation.
inline constexpr std::string_view kSpellCheckCancelledQuestion =
    "The spell check on this message has been cancelled. Do you want to continue sending?";
inline constexpr std::string_view kNoGroupsMessage = "You have not Created any Groups yet. You cannot send a message "
                                                     "until you create a Group of Recipients to send to.";
inline constexpr std::string_view kServerErrorTitle = "Server Error";
inline constexpr std::string_view kNoServerMessage = "You have not specified a SMTP Email Server to Use";
inline constexpr std::string_view kSelectGroupMessage = "Please select a group to send this message to.";
inline constexpr std::string_view kNoBodyQuestion =
    "Are you sure you wish to send this message without a Message body.";
inline constexpr std::string_view kNoSubjectQuestion =
    "Are you sure you wish to send this message without a Subject line.";
inline constexpr std::string_view kInvalidSenderQuestion =
    "A valid From Email Address is required for sending this message\r\n\r\nWould you like to enter one now?";
inline constexpr std::string_view kGroupMissingPrefix = "The Group: ";
inline constexpr std::string_view kGroupMissingSuffix =
    " no longer seems to exist.\r\nPlease select a valid Group before proceeding.";

// A listed attachment that is not there when the mailing starts.
inline std::string missingAttachmentQuestion(std::string_view path)
{
    return "The attachment \"" + std::string(path) +
           "\" cannot be found.\r\nDo you wish to send this message without it?";
}

// The session.
inline constexpr std::string_view kNotValidGroupSuffix = " no longer appears to be a valid Group.";
inline constexpr std::string_view kLoadingBlockInfo = "Loading Block/Recovery Information";
inline constexpr std::string_view kLoadingRecoveryInfo = "Loading Recovery Information ...";
inline constexpr std::string_view kLoadingExclusionInfo = "Loading Exclusion Information ...";
inline constexpr std::string_view kBlockFileQuestionStart = "Unable to open the Block/Recovery file:\r\n";
inline constexpr std::string_view kBlockFileQuestionEnd = "\r\n\r\nDo you wish to continue sending?";
inline constexpr std::string_view kBulkModeLabel = "Bulk Send Mode";
inline constexpr std::string_view kPersonalModeLabel = "Personal Send Mode";
inline constexpr std::string_view kPartialLabel = "Partial Send Enabled";
inline constexpr std::string_view kPartialStarted = "** Partial Send Started at Recipient # ";
inline constexpr std::string_view kPartialComplete = "** Partial Send Complete at Recipient # ";
inline constexpr std::string_view kCheckingBlockInfo = "Checking Block/Recovery Information";
inline constexpr std::string_view kCheckingExclusionInfo = "Checking Exclusion Information";
inline constexpr std::string_view kFoundInBlockFile = " - found in block file";
inline constexpr std::string_view kNotAValidAddress = " - not a valid email address, skipped";
inline constexpr std::string_view kSendingMailMessage = "Sending Mail Message";
inline constexpr std::string_view kReconnecting = "Re-connecting To Server";
inline constexpr std::string_view kDisconnectedFromServer = "Disconnected from Server";
inline constexpr std::string_view kRecipientErrorMiddle =
    " reported the following error while trying to send this message\r\n\r\nExact Error:\r\n";
inline constexpr std::string_view kRecipientErrorEnd = "\r\n\r\nWould you like continue sending?";
inline constexpr std::string_view kMimeErrorPrefix = "MIME Error:";
inline constexpr std::string_view kSendingErrorPrefix = "Sending Error: ";

// Tries again after a reply that may pass.
inline std::string attemptText(int attempt, int attempts)
{
    return "attempt " + std::to_string(attempt) + " of " + std::to_string(attempts);
}
inline std::string deferredLine(std::string_view address, int attempt, int attempts, std::string_view reason,
                                std::int64_t waitSeconds)
{
    return "Deferred " + std::string(address) + " (" + attemptText(attempt, attempts) + "): " + std::string(reason) +
           " - trying again in " + std::to_string(waitSeconds) + " s";
}
inline std::string givenUpLine(std::string_view address, int attempts, std::string_view reason)
{
    return "Deferred " + std::string(address) + " (" + attemptText(attempts, attempts) + "): " + std::string(reason) +
           " - no attempts left";
}
inline std::string retryingLine(std::string_view address, int attempt, int attempts)
{
    return "Retrying " + std::string(address) + " (" + attemptText(attempt, attempts) + ")";
}
inline std::string connectRetryLine(int attempt, int attempts, std::int64_t waitSeconds)
{
    return "Connection failed (" + attemptText(attempt, attempts) + ") - trying again in " +
           std::to_string(waitSeconds) + " s";
}
// The recipient errors log's reason when the connection broke between the end of a message and
// the server's reply: the message is not sent again, it may have been delivered.
inline constexpr std::string_view kOutcomeUnknown =
    " - outcome unknown: the connection was lost after the message was sent";

inline constexpr std::string_view kSendCompleted = "Send Completed";
inline constexpr std::string_view kSendStoppedByUser = "Send Stopped by User";
inline constexpr std::string_view kSendStoppedAfterError = "Send Stopped by User after Error";
inline constexpr std::string_view kSendStoppedByError = "Send Stopped by Error";

// The send dialog.
inline constexpr std::string_view kSendingToCaption = "Sending to: ";
inline constexpr std::string_view kStopQuestion = "Are you sure you wish to Stop Sending?";
inline constexpr std::string_view kStopping = "Stopping ...";

// The last outcome kept in the statistics.
inline constexpr std::string_view kActionSuccess = "Success";
inline constexpr std::string_view kActionStoppedByUser = "Stopped By User";
inline constexpr std::string_view kActionTerminatedAfterError = "Terminated After Error by User";
inline constexpr std::string_view kActionStoppedByError = "Send Stopped by Error";

// The results.
inline constexpr std::string_view kPartialWindowSize = "  - Partial Send Window Size = ";

} // namespace tidecast::mailing::text
