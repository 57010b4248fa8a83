#include "transfer/ExclusionList.h"

#include "common/Text.h"
#include "store/GroupNames.h"
#include "store/RecipientStore.h"

#include <algorithm>
#include <system_error>

namespace tidecast::transfer
{

namespace
{

constexpr std::string_view kAddressField = "EmailAddress";
constexpr std::string_view kGroupField = "Group";
// One layout for every write, wide enough for any address (254 characters) and any group name.
// Files written with the older, narrower layouts read the same way.
constexpr int kAddressSize = 254;
constexpr int kGroupSize = 255;
constexpr std::string_view kBackupSuffix = ".old";

Error fileError(ErrorCode code, const std::string& what, const std::error_code& ec)
{
    return Error{code, what + ": " + ec.message(), ec.value()};
}

// Opens the list file and finds its two columns; a file without them is not an exclusion list.
Result<std::vector<int>> openColumns(store::RecipientStore& file, const std::filesystem::path& path)
{
    if (auto opened = file.open(path); !opened) {
        return opened.error();
    }
    const int address = file.fieldIndex(kAddressField);
    const int group = file.fieldIndex(kGroupField);
    if (address < 0 || group < 0) {
        (void)file.close();
        return Error{ErrorCode::Database, "The exclusion list has no Group or EmailAddress field", 0};
    }
    return std::vector<int>{address, group};
}

// Reads every record's address and group in file order.
template <typename Visit> Result<void> readEntries(const std::filesystem::path& path, Visit visit)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return {};
    }
    store::RecipientStore file;
    auto columns = openColumns(file, path);
    if (!columns) {
        return columns.error();
    }
    auto read = file.readRecords(
        INT64_MAX, *columns, [&visit](const std::vector<std::string_view>& values) { visit(values[0], values[1]); });
    auto closed = file.close();
    if (!read) {
        return read.error();
    }
    return closed;
}

Result<void> keepBackup(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return {};
    }
    auto backup = file;
    backup += kBackupSuffix;
    if (std::filesystem::exists(backup, ec) && !store::RecipientStore::deleteFile(backup)) {
        return Error{ErrorCode::FileWrite, "Cannot delete " + backup.string(), 0};
    }
    std::filesystem::rename(file, backup, ec);
    if (ec) {
        return fileError(ErrorCode::FileWrite, "Cannot rename " + file.string(), ec);
    }
    return {};
}

} // namespace

std::filesystem::path ExclusionList::filePath(const std::filesystem::path& dataDir)
{
    return dataDir / (std::string(store::kExclusionListName) + std::string(store::kGroupExtension));
}

Result<ExclusionList> ExclusionList::load(const std::filesystem::path& file)
{
    ExclusionList list;
    auto read = readEntries(file, [&list](std::string_view address, std::string_view group) {
        list.m_entries.push_back({std::string(address), std::string(group)});
        list.index(list.m_entries.back());
    });
    if (!read) {
        return read.error();
    }
    return list;
}

void ExclusionList::makeKey(std::string_view emailAddress, std::string_view group, std::string& out)
{
    out.clear();
    out.reserve(emailAddress.size() + group.size() + 1);
    for (const char c : emailAddress) {
        out += toLowerAscii(c);
    }
    out += '\n';
    for (const char c : group) {
        out += toLowerAscii(c);
    }
}

bool ExclusionList::hasKey(std::string_view emailAddress, std::string_view group) const
{
    makeKey(emailAddress, group, m_probe);
    return m_keys.contains(m_probe);
}

void ExclusionList::index(const ExclusionEntry& entry)
{
    std::string key;
    makeKey(entry.emailAddress, entry.group, key);
    ++m_keys[std::move(key)];
}

void ExclusionList::unindex(const ExclusionEntry& entry)
{
    makeKey(entry.emailAddress, entry.group, m_probe);
    const auto found = m_keys.find(m_probe);
    if (found != m_keys.end() && --found->second == 0) {
        m_keys.erase(found);
    }
}

bool ExclusionList::contains(std::string_view emailAddress, std::string_view group) const
{
    return hasKey(emailAddress, group) || hasKey(emailAddress, store::kAllGroups);
}

bool ExclusionList::add(std::string emailAddress, std::string group)
{
    if (contains(emailAddress, group)) {
        return false;
    }
    m_entries.push_back({std::move(emailAddress), std::move(group)});
    index(m_entries.back());
    return true;
}

void ExclusionList::removeAt(const std::vector<std::size_t>& positions)
{
    std::vector<bool> doomed(m_entries.size(), false);
    for (const auto position : positions) {
        if (position < doomed.size()) {
            doomed[position] = true;
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (doomed[i]) {
            unindex(m_entries[i]);
        } else {
            if (kept != i) {
                m_entries[kept] = std::move(m_entries[i]);
            }
            ++kept;
        }
    }
    m_entries.resize(kept);
}

std::size_t ExclusionList::remove(std::string_view emailAddress, std::string_view group)
{
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (equalsIgnoreCase(m_entries[i].emailAddress, emailAddress) && equalsIgnoreCase(m_entries[i].group, group)) {
            positions.push_back(i);
        }
    }
    removeAt(positions);
    return positions.size();
}

void ExclusionList::clear()
{
    m_entries.clear();
    m_keys.clear();
}

Result<void> ExclusionList::save(const std::filesystem::path& file, ExclusionBackup backup) const
{
    if (backup == ExclusionBackup::Keep) {
        if (auto kept = keepBackup(file); !kept) {
            return kept;
        }
    } else {
        store::RecipientStore::deleteFile(file);
    }
    store::RecipientStore out;
    out.resetLayout();
    out.defineField(kAddressField, store::FieldType::Text, kAddressSize);
    out.defineField(kGroupField, store::FieldType::Text, kGroupSize);
    if (const int failed = out.createFile(file); failed != 0) {
        return Error{ErrorCode::Database, "Cannot create " + file.string(), failed};
    }
    if (auto opened = out.open(file); !opened) {
        return opened;
    }
    if (auto begun = out.beginTransaction(); !begun) {
        (void)out.close();
        return begun;
    }
    for (const auto& entry : m_entries) {
        if (auto added = out.addNew(); !added) {
            out.rollbackTransaction();
            (void)out.close();
            return added;
        }
        out.setField(0, entry.emailAddress);
        out.setField(1, entry.group);
    }
    return out.close();
}

Result<CompactStringSet> loadExcludedAddresses(const std::filesystem::path& file, std::string_view groupName)
{
    CompactStringSet addresses;
    std::string lowered;
    auto read = readEntries(file, [&](std::string_view address, std::string_view group) {
        if (group == groupName || group == store::kAllGroups) {
            lowered.assign(address);
            for (char& c : lowered) {
                c = toLowerAscii(c);
            }
            addresses.insert(lowered);
        }
    });
    if (!read) {
        return read.error();
    }
    return addresses;
}

} // namespace tidecast::transfer
