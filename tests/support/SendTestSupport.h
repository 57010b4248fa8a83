#pragma once

#include "common/Text.h"
#include "mailing/SendChannel.h"
#include "mailing/SendLogs.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tidecast::test
{

// "user<n>@example.test" for n = 1..count.
inline std::vector<std::string> numberedAddresses(int count, std::string_view prefix = "user")
{
    std::vector<std::string> addresses;
    for (int n = 1; n <= count; ++n) {
        addresses.push_back(std::string(prefix) + std::to_string(n) + "@example.test");
    }
    return addresses;
}

// A group file in the data folder holding these addresses in this order.
[[nodiscard]] inline bool makeGroup(const std::filesystem::path& dataDir, const std::string& name,
                                    const std::vector<std::string>& addresses,
                                    const std::string& dateAdded = "2026-01-10")
{
    store::RecipientStore group;
    store::defineRecipientLayout(group);
    const auto path = dataDir / (name + std::string(store::kGroupExtension));
    if (group.createFile(path) != 0) {
        return false;
    }
    if (!group.open(path)) {
        return false;
    }
    if (!group.beginTransaction()) {
        return false;
    }
    for (const auto& address : addresses) {
        store::RecipientRecord record;
        record.set(store::RecipientField::EmailAddress, address);
        record.set(store::RecipientField::FirstName, "First");
        record.dateAdded = dateAdded;
        if (!group.addNew()) {
            return false;
        }
        store::writeRecipient(group, record);
    }
    return group.close().hasValue();
}

// The records of a group file in file order; as far as it could be read.
inline std::vector<store::RecipientRecord> readGroupRecords(const std::filesystem::path& path)
{
    std::vector<store::RecipientRecord> out;
    store::RecipientStore group;
    if (!group.open(path) || !group.moveFirst()) {
        return out;
    }
    while (!group.atEnd()) {
        out.push_back(store::readRecipient(group));
        if (!group.moveNext()) {
            break;
        }
    }
    return out;
}

// "Exclusion List.gdb" with (address, group) entries.
[[nodiscard]] inline bool makeExclusionList(const std::filesystem::path& dataDir,
                                            const std::vector<std::pair<std::string, std::string>>& entries)
{
    store::RecipientStore list;
    list.resetLayout();
    list.defineField("EmailAddress", store::FieldType::Text, 100);
    list.defineField("Group", store::FieldType::Text, 100);
    const auto path = dataDir / (std::string(store::kExclusionListName) + std::string(store::kGroupExtension));
    if (list.createFile(path) != 0) {
        return false;
    }
    if (!list.open(path)) {
        return false;
    }
    for (const auto& [address, group] : entries) {
        if (!list.addNew()) {
            return false;
        }
        if (!list.setField("EmailAddress", address)) {
            return false;
        }
        if (!list.setField("Group", group)) {
            return false;
        }
    }
    return list.close().hasValue();
}

inline std::vector<std::string> logLines(const std::filesystem::path& dataDir, std::string_view log)
{
    return splitLines(readWholeFile(mailing::SendLogs::file(dataDir, log)));
}

} // namespace tidecast::test
