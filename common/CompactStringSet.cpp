#include "common/CompactStringSet.h"

#include <cstring>
#include <functional>

namespace tidecast
{

namespace
{

std::size_t hashOf(std::string_view text)
{
    return std::hash<std::string_view>{}(text);
}

} // namespace

std::string_view CompactStringSet::at(std::uint32_t slot) const
{
    const std::size_t position = slot - 1;
    const char* entry = m_blocks[position / kBlockSize].get() + position % kBlockSize;
    return {entry + 1, static_cast<unsigned char>(entry[0])};
}

std::size_t CompactStringSet::findSlot(std::string_view text, std::size_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const auto slot = m_slots[i];
        if (slot == 0 || at(slot) == text) {
            return i;
        }
    }
}

bool CompactStringSet::contains(std::string_view text) const
{
    if (m_size == 0 || text.size() > kMaxLength) {
        return false;
    }
    return m_slots[findSlot(text, hashOf(text))] != 0;
}

bool CompactStringSet::insert(std::string_view text)
{
    if (text.size() > kMaxLength) {
        return false;
    }
    // At most three quarters full keeps the probe runs short.
    if ((m_size + 1) * 4 > m_slots.size() * 3) {
        grow();
    }
    const auto index = findSlot(text, hashOf(text));
    if (m_slots[index] != 0) {
        return false;
    }
    if (m_used + 1 + text.size() > kBlockSize) {
        m_blocks.push_back(std::make_unique<char[]>(kBlockSize));
        m_used = 0;
    }
    char* entry = m_blocks.back().get() + m_used;
    entry[0] = static_cast<char>(text.size());
    std::memcpy(entry + 1, text.data(), text.size());
    m_slots[index] = static_cast<std::uint32_t>(1 + (m_blocks.size() - 1) * kBlockSize + m_used);
    m_used += 1 + text.size();
    ++m_size;
    return true;
}

void CompactStringSet::grow()
{
    std::vector<std::uint32_t> old(m_slots.empty() ? 16 : m_slots.size() * 2, 0);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const auto slot : old) {
        if (slot == 0) {
            continue;
        }
        std::size_t i = hashOf(at(slot)) & mask;
        while (m_slots[i] != 0) {
            i = (i + 1) & mask;
        }
        m_slots[i] = slot;
    }
}

void CompactStringSet::clear()
{
    m_blocks.clear();
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_used = kBlockSize;
    m_size = 0;
}

} // namespace tidecast
