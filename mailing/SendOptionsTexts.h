#pragma once

#include <string>
#include <string_view>

// The texts of the send options dialog that a person reads, in one place, so the desktop and the
// command line say exactly the same thing.
namespace tidecast::mailing::text
{

inline constexpr std::string_view kBulkRefused = "This message cannot be sent in bulk because it contains\r\n"
                                                 " personalized information for each recipient.";
inline constexpr std::string_view kBulkWithCustomAttachments =
    "You have selected to send Custom attachments if available for this Group - if you change to Bulk Sending mode "
    "you will not be able to send these files.\r\nAre you sure you wish to change to Bulk Mode?";
inline constexpr std::string_view kPartialReset =
    "Your Partial Sending selection has been reset. Please re-select if you wish to use this option";
inline constexpr std::string_view kDifferentIdentification =
    "Please note that the selected Group has different Identification details. You should check these are the ones "
    "you wish to use before you send this message - click on the Server & Identification Details tab to do this.";
inline constexpr std::string_view kNumbersOnly = "Numbers only please!";
inline constexpr std::string_view kEmptyGroup =
    "The selected Group doesn't contain any recipients.\r\nPlease select a Group with recipients first.";
inline constexpr std::string_view kEnterServer = "Please enter a valid SMTP Mail Server address for Tidecast to use";
inline constexpr std::string_view kEnterFromAddress = "Please enter a valid (from) Email address for Tidecast to use";
inline constexpr std::string_view kSelectValidFile = "Please select a valid file!";

inline constexpr std::string_view kBlockFileTitle = "Select a file";
inline constexpr std::string_view kBlockFileTypes =
    "Log Files (*.log)|*.log;*.html|Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr std::string_view kBlockFileExtension = ".log";

inline constexpr std::string_view kCaptionPrefix = "Prepare to Send to ";
inline constexpr std::string_view kRecipientsSuffix = " recipients";
inline constexpr std::string_view kToFieldLabel = "What text would you like to appear in the To field of the message?";
inline constexpr std::string_view kPersonalNote = "Each recipient will receive a personally addressed message.";
inline constexpr std::string_view kIdentificationFrame =
    "Identification Details               (changes made will not be saved)";

inline std::string groupNoLongerExists(std::string_view name)
{
    return "The Group: " + std::string(name) +
           " no longer seems to exist.\r\nPlease select a valid Group before proceeding.";
}

} // namespace tidecast::mailing::text
