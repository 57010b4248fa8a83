#include "mailing/RelayPool.h"

#include "common/Text.h"
#include "mailing/RetryQueue.h"

#include <charconv>

namespace tidecast::mailing
{

std::optional<Relay> parseRelay(std::string_view text, std::uint16_t defaultPort)
{
    text = trimBlanks(text);
    if (text.empty()) {
        return std::nullopt;
    }
    Relay relay{std::string(text), defaultPort};
    std::string_view portText;
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        relay.host = std::string(text.substr(1, close - 1));
        const auto rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            portText = rest.substr(1);
        }
    } else if (const auto colon = text.find(':');
               colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
        relay.host = std::string(text.substr(0, colon));
        portText = text.substr(colon + 1);
        if (portText.empty()) {
            return std::nullopt;
        }
    }
    if (!portText.empty()) {
        unsigned port = 0;
        const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (error != std::errc{} || end != portText.data() + portText.size() || port < 1 || port > 65535) {
            return std::nullopt;
        }
        relay.port = static_cast<std::uint16_t>(port);
    }
    if (relay.host.empty()) {
        return std::nullopt;
    }
    return relay;
}

std::vector<Relay> parseRelays(std::string_view text, std::uint16_t defaultPort)
{
    std::vector<Relay> relays;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find_first_of(", ", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (auto relay = parseRelay(text.substr(start, end - start), defaultPort)) {
            relays.push_back(std::move(*relay));
        }
        start = end + 1;
    }
    return relays;
}

RelayPool::RelayPool(std::vector<Relay> relays, const Clock& clock)
    : m_clock(clock)
{
    for (auto& relay : relays) {
        m_relays.push_back({std::move(relay)});
    }
}

std::size_t RelayPool::pick(std::size_t channel) const
{
    std::lock_guard lock(m_mutex);
    if (m_relays.empty()) {
        return 0;
    }
    const auto now = m_clock.now();
    const auto count = m_relays.size();
    std::size_t soonest = channel % count;
    for (std::size_t step = 0; step < count; ++step) {
        const auto index = (channel + step) % count;
        if (m_relays[index].restUntil <= now) {
            return index;
        }
        if (m_relays[index].restUntil < m_relays[soonest].restUntil) {
            soonest = index;
        }
    }
    return soonest;
}

Relay RelayPool::relay(std::size_t index) const
{
    std::lock_guard lock(m_mutex);
    return m_relays.at(index).relay;
}

bool RelayPool::isResting(std::size_t index) const
{
    std::lock_guard lock(m_mutex);
    return m_relays.at(index).restUntil > m_clock.now();
}

void RelayPool::failed(std::size_t index)
{
    std::lock_guard lock(m_mutex);
    auto& state = m_relays.at(index);
    ++state.failures;
    state.restUntil = m_clock.now() + retryDelay(state.failures);
}

void RelayPool::succeeded(std::size_t index)
{
    std::lock_guard lock(m_mutex);
    auto& state = m_relays.at(index);
    state.failures = 0;
    state.restUntil = {};
}

} // namespace tidecast::mailing
