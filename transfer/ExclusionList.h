#pragma once

#include "common/CompactStringSet.h"
#include "common/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tidecast::transfer
{

// One exclusion: an address that must not be mailed, recorded against one group or "All Groups".
struct ExclusionEntry
{
    std::string emailAddress;
    std::string group;

    bool operator==(const ExclusionEntry&) const = default;
};

// How the file is rewritten: a save keeps the previous file as a ".old" backup, the write before
// an export replaces it without one.
enum class ExclusionBackup
{
    Keep,
    None,
};

// The exclusion list held whole in memory, in file order, with a hash index for its sameness
// test: two entries are the same when their addresses are equal ignoring case and either their
// groups are equal ignoring case or the existing entry is for "All Groups". There is no size
// limit: a list of unsubscribes grows for years.
class ExclusionList
{
public:
    // "Exclusion List.gdb" in the data folder.
    static std::filesystem::path filePath(const std::filesystem::path& dataDir);

    // Reads either file layout in file order; a missing file gives an empty list.
    [[nodiscard]] static Result<ExclusionList> load(const std::filesystem::path& file);

    const std::vector<ExclusionEntry>& entries() const { return m_entries; }
    std::size_t size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.empty(); }

    // True when an entry for the address covers the group (the same group or "All Groups").
    bool contains(std::string_view emailAddress, std::string_view group) const;
    // Appends the entry unless contains() already says so; tells whether it was appended.
    bool add(std::string emailAddress, std::string group);
    // Removes the entries at these positions (any order, duplicates ignored).
    void removeAt(const std::vector<std::size_t>& positions);
    // Removes the entries for this address and exactly this group (both ignoring case); returns
    // how many went.
    std::size_t remove(std::string_view emailAddress, std::string_view group);
    void clear();

    // Recreates the file with one record per entry in list order, in one transaction. With
    // ExclusionBackup::Keep an existing file first becomes the file name followed by ".old",
    // replacing an older backup.
    [[nodiscard]] Result<void> save(const std::filesystem::path& file, ExclusionBackup backup) const;

private:
    // Writes the lower-cased address and group into `out`; a line break separates them, as it
    // is never part of either.
    static void makeKey(std::string_view emailAddress, std::string_view group, std::string& out);
    bool hasKey(std::string_view emailAddress, std::string_view group) const;
    void index(const ExclusionEntry& entry);
    void unindex(const ExclusionEntry& entry);

    std::vector<ExclusionEntry> m_entries;
    std::unordered_map<std::string, std::uint32_t> m_keys; // key -> number of entries with it
    mutable std::string m_probe;                           // the key being looked up, reused
};

// The send session's view of the list: the lower-cased addresses whose entry names exactly this
// group or "All Groups". One sequential read of the file straight into a compact set; a missing
// file gives an empty set.
[[nodiscard]] Result<CompactStringSet> loadExcludedAddresses(const std::filesystem::path& file,
                                                             std::string_view groupName);

} // namespace tidecast::transfer
