#include "transfer/KnownAddresses.h"

#include "common/Text.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace tidecast::transfer
{

namespace
{

constexpr int kOffsetBits = 40;
constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << kOffsetBits) - 1;
constexpr std::size_t kMaxKeyLength = 0xFFFF;
constexpr std::size_t kMinimumSlots = 64;

std::uint64_t hashOf(std::string_view key)
{
    return std::hash<std::string_view>{}(key);
}

std::uint64_t tagOf(std::uint64_t hash)
{
    return hash >> kOffsetBits << kOffsetBits;
}

} // namespace

std::string_view KnownAddresses::lowered(std::string_view address) const
{
    address = address.substr(0, kMaxKeyLength);
    m_scratch.resize(address.size());
    std::transform(address.begin(), address.end(), m_scratch.begin(), [](char c) { return toLowerAscii(c); });
    return m_scratch;
}

std::string_view KnownAddresses::keyAt(std::uint64_t slot) const
{
    const auto offset = static_cast<std::size_t>((slot & kOffsetMask) - 1);
    const auto length = static_cast<std::size_t>(static_cast<unsigned char>(m_keys[offset])) |
                        static_cast<std::size_t>(static_cast<unsigned char>(m_keys[offset + 1])) << 8;
    return std::string_view(m_keys).substr(offset + 2, length);
}

std::size_t KnownAddresses::find(std::string_view key, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = tagOf(hash);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const auto slot = m_slots[at];
        if (slot == 0 || ((slot & ~kOffsetMask) == tag && keyAt(slot) == key)) {
            return at;
        }
    }
}

void KnownAddresses::grow(std::size_t slots)
{
    std::vector<std::uint64_t> old(std::max(kMinimumSlots, std::bit_ceil(slots)), 0);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const auto slot : old) {
        if (slot == 0) {
            continue;
        }
        auto at = hashOf(keyAt(slot)) & mask;
        while (m_slots[at] != 0) {
            at = (at + 1) & mask;
        }
        m_slots[at] = slot;
    }
}

void KnownAddresses::reserve(std::size_t count)
{
    if (count * 2 > m_slots.size()) {
        grow(count * 2);
    }
}

bool KnownAddresses::insert(std::string_view address)
{
    if ((m_size + 1) * 2 > m_slots.size()) {
        grow(std::max(kMinimumSlots, m_slots.size() * 2));
    }
    const auto key = lowered(address);
    const auto hash = hashOf(key);
    const auto at = find(key, hash);
    if (m_slots[at] != 0) {
        return false;
    }
    const auto offset = m_keys.size();
    m_keys += static_cast<char>(key.size() & 0xFF);
    m_keys += static_cast<char>(key.size() >> 8);
    m_keys += key;
    m_slots[at] = tagOf(hash) | (static_cast<std::uint64_t>(offset) + 1);
    ++m_size;
    return true;
}

bool KnownAddresses::contains(std::string_view address) const
{
    if (m_size == 0) {
        return false;
    }
    const auto key = lowered(address);
    return m_slots[find(key, hashOf(key))] != 0;
}

void KnownAddresses::clear()
{
    std::string().swap(m_keys);
    std::vector<std::uint64_t>().swap(m_slots);
    m_size = 0;
}

} // namespace tidecast::transfer
