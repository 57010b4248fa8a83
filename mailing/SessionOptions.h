#pragma once

#include "filters/FilterEvaluators.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tidecast::mailing
{

// Everything one mailing is told before it starts.
struct SessionOptions
{
    std::filesystem::path dataDir;
    std::filesystem::path settingsFile; // where the "Tech" statistics live
    std::string groupName;
    std::string senderAddress; // the envelope sender
    bool bulkMode = false;
    int bulkGroupSize = 25; // messages per connection (personal), recipients per message (bulk)
    bool partialSend = false;
    std::int64_t partialStart = 0; // 1-based, inclusive
    std::int64_t partialEnd = 0;
    bool blockFileOn = false;
    std::string blockFilePath;
    filters::DateFilters dateFilters;
    std::vector<std::string> sendFilters;
    // The options were accepted in the options dialog: errors are logged without asking.
    bool optionsConfirmed = false;
    bool dsn = false; // ask for delivery status notifications
    // Tries per recipient (and per reconnection) after a reply that may pass: "421", "4xx", a
    // refused connection.
    int retryAttempts = 3;
    int rateLimit = 0; // messages per minute; 0: no limit
};

} // namespace tidecast::mailing
