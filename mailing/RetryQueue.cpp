#include "mailing/RetryQueue.h"

#include <algorithm>

namespace tidecast::mailing
{

namespace
{
constexpr int kMaxDelaySeconds = 60;
} // namespace

std::chrono::seconds retryDelay(int attemptsMade)
{
    const int doublings = std::clamp(attemptsMade - 1, 0, 6); // 2^6 = 64 is past the cap
    return std::chrono::seconds(std::min(kMaxDelaySeconds, 1 << doublings));
}

void RetryQueue::push(RetryEntry entry)
{
    std::lock_guard lock(m_mutex);
    const auto due = entry.due;
    m_entries.emplace(due, std::move(entry));
}

std::optional<RetryEntry> RetryQueue::takeDue(std::chrono::system_clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    const auto first = m_entries.begin();
    if (first == m_entries.end() || first->first > now) {
        return std::nullopt;
    }
    auto entry = std::move(first->second);
    m_entries.erase(first);
    return entry;
}

std::optional<std::chrono::system_clock::time_point> RetryQueue::earliestDue() const
{
    std::lock_guard lock(m_mutex);
    if (m_entries.empty()) {
        return std::nullopt;
    }
    return m_entries.begin()->first;
}

bool RetryQueue::empty() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.empty();
}

std::vector<RetryEntry> RetryQueue::takeAll()
{
    std::lock_guard lock(m_mutex);
    std::vector<RetryEntry> all;
    all.reserve(m_entries.size());
    for (auto& [due, entry] : m_entries) {
        all.push_back(std::move(entry));
    }
    m_entries.clear();
    return all;
}

} // namespace tidecast::mailing
