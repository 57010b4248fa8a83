#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// The addresses a group already holds, compared without regard to ASCII letter case: the
// import's duplicate check. A hash set whose keys live in one block of text, so a group of a
// million costs tens of megabytes rather than a allocation per address.
class KnownAddresses
{
public:
    void reserve(std::size_t count);
    // False when the address was already known.
    bool insert(std::string_view address);
    bool contains(std::string_view address) const;
    std::size_t size() const { return m_size; }
    void clear();

private:
    std::size_t find(std::string_view key, std::uint64_t hash) const; // slot index
    void grow(std::size_t slots);
    std::string_view keyAt(std::uint64_t slot) const;
    std::string_view lowered(std::string_view address) const;

    std::string m_keys;                 // each key: two bytes of length, then the lower-cased text
    std::vector<std::uint64_t> m_slots; // 0 when empty, else a hash tag and the key's offset + 1
    std::size_t m_size = 0;
    mutable std::string m_scratch;
};

} // namespace tidecast::transfer
