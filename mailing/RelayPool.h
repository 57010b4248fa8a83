#pragma once

#include "common/Clock.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::mailing
{

// A mail server the mailing may hand its messages to.
struct Relay
{
    std::string host;
    std::uint16_t port = 25;

    bool operator==(const Relay&) const = default;
};

// "host", "host:port" or "[address]:port"; nothing when the port is not a number from 1 to 65535.
std::optional<Relay> parseRelay(std::string_view text, std::uint16_t defaultPort);
// Relays separated by commas or blanks; the ones that do not parse are left out.
std::vector<Relay> parseRelays(std::string_view text, std::uint16_t defaultPort);

// The relays of a mailing, shared by its connections. Each connection has its own relay (the
// connections are spread over them in turn); a relay that refused a connection rests for 1, 2,
// 4 ... up to 60 seconds, the longer the more often in a row, and the connections go to the
// others meanwhile. Thread-safe.
class RelayPool
{
public:
    RelayPool(std::vector<Relay> relays, const Clock& clock);

    // The relay for the next connection of this channel: its own unless that one rests, else the
    // next one that does not, else the one whose rest ends first.
    std::size_t pick(std::size_t channel) const;
    Relay relay(std::size_t index) const;
    bool isResting(std::size_t index) const;
    std::size_t size() const { return m_relays.size(); }

    void failed(std::size_t index);
    void succeeded(std::size_t index);

private:
    struct State
    {
        Relay relay;
        int failures = 0;
        std::chrono::system_clock::time_point restUntil{};
    };
    const Clock& m_clock;
    mutable std::mutex m_mutex;
    std::vector<State> m_relays;
};

} // namespace tidecast::mailing
