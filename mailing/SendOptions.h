#pragma once

#include "filters/FilterEvaluators.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tidecast::mailing
{

// The options of one mailing. The send options dialog writes it on Send and Preview; the send
// session and the preview read it.
struct SendOptions
{
    std::string smtpServer;
    std::string groupName;
    std::int32_t recipientCount = 0; // records in the group file when the group was selected
    std::int16_t bulkGroupSize = 25; // recipients per bulk message ("GroupLet Size")
    bool bulkMode = false;
    std::string bulkToText; // bulk mode: the To field's text, the group name when none was typed
    std::string senderName;
    std::string senderAddress;
    std::string replyTo;
    std::string organisation;
    std::string signature;
    bool afterDateOn = false;
    std::chrono::year_month_day afterDate{};
    bool beforeDateOn = false;
    std::chrono::year_month_day beforeDate{};
    // The send filter list in order; an empty list is held as one empty string.
    std::vector<std::string> sendFilters{std::string()};
    bool optionsConfirmed = false; // the dialog accepted these options
    bool blockFileOn = false;
    std::string blockFilePath; // addresses not to mail, one per line
    bool partialSend = false;
    std::int32_t partialStart = 0;  // 1-based, inclusive
    std::int32_t partialEnd = 0;    // inclusive
    bool customAttachments = false; // attach the files named in the Additional Fields below
    bool attachField1 = false;
    bool attachField2 = false;
    bool attachField3 = false;
    bool attachField4 = false;
    bool dsn = false; // ask for delivery status notification
};

// The two date filters in the form the send filter evaluator takes.
inline filters::DateFilters dateFilters(const SendOptions& options)
{
    return {options.afterDateOn, options.afterDate, options.beforeDateOn, options.beforeDate};
}

} // namespace tidecast::mailing
