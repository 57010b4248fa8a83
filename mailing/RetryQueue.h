#pragma once

#include "store/RecipientRecord.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::mailing
{

// The wait before the next try after `attemptsMade` tries: 1, 2, 4 ... seconds, at most 60.
std::chrono::seconds retryDelay(int attemptsMade);

// A recipient whose message was refused for now, waiting for its next try.
struct RetryEntry
{
    store::RecipientRecord record; // personal mode: what the message is merged with
    std::string address;
    int attempt = 0; // the number of the next try (2 for the first retry)
    std::chrono::system_clock::time_point due;
};

// The recipients waiting for another try, the earliest due first (in the order they came among
// equals). Thread-safe.
class RetryQueue
{
public:
    void push(RetryEntry entry);
    // The earliest entry that is due at `now`, taken off the queue.
    std::optional<RetryEntry> takeDue(std::chrono::system_clock::time_point now);
    std::optional<std::chrono::system_clock::time_point> earliestDue() const;
    bool empty() const;
    std::vector<RetryEntry> takeAll();

private:
    mutable std::mutex m_mutex;
    std::multimap<std::chrono::system_clock::time_point, RetryEntry> m_entries;
};

} // namespace tidecast::mailing
