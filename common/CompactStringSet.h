#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tidecast
{

// A set of short strings (mail addresses) that keeps a million of them in a few tens of
// megabytes: the characters sit end to end in large blocks, each after a length byte, and an
// open-addressing table holds one 32-bit position per entry, instead of a node, a string object
// and a separate allocation for each. Look-ups compare the characters, so there are no false
// matches. Strings of more than 255 bytes are not kept (no mail address is that long).
class CompactStringSet
{
public:
    static constexpr std::size_t kMaxLength = 255;

    // False when the string was there already or is too long to keep.
    bool insert(std::string_view text);
    bool contains(std::string_view text) const;
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void clear();

private:
    std::string_view at(std::uint32_t slot) const;
    std::size_t findSlot(std::string_view text, std::size_t hash) const;
    void grow();

    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = kBlockSize;    // bytes used in the last block
    std::vector<std::uint32_t> m_slots; // 0: empty; else 1 + block * kBlockSize + offset
    std::size_t m_size = 0;
};

} // namespace tidecast
