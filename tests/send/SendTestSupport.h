#pragma once

#include "common/Text.h"
#include "send/SendChannel.h"
#include "send/SendLogs.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tidecast::send::test
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
inline void makeGroup(const std::filesystem::path& dataDir, const std::string& name,
                      const std::vector<std::string>& addresses, const std::string& dateAdded = "2026-01-10")
{
    store::RecipientStore group;
    store::defineRecipientLayout(group);
    const auto path = dataDir / (name + std::string(store::kGroupExtension));
    ASSERT_EQ(group.createFile(path), 0);
    ASSERT_TRUE(group.open(path));
    ASSERT_TRUE(group.beginTransaction());
    for (const auto& address : addresses) {
        store::RecipientRecord record;
        record.set(store::RecipientField::EmailAddress, address);
        record.set(store::RecipientField::FirstName, "First");
        record.dateAdded = dateAdded;
        ASSERT_TRUE(group.addNew());
        store::writeRecipient(group, record);
    }
    ASSERT_TRUE(group.close());
}

// "Exclusion List.gdb" with (address, group) entries.
inline void makeExclusionList(const std::filesystem::path& dataDir,
                              const std::vector<std::pair<std::string, std::string>>& entries)
{
    store::RecipientStore list;
    list.resetLayout();
    list.defineField("EmailAddress", store::FieldType::Text, 100);
    list.defineField("Group", store::FieldType::Text, 100);
    const auto path = dataDir / (std::string(store::kExclusionListName) + std::string(store::kGroupExtension));
    ASSERT_EQ(list.createFile(path), 0);
    ASSERT_TRUE(list.open(path));
    for (const auto& [address, group] : entries) {
        ASSERT_TRUE(list.addNew());
        ASSERT_TRUE(list.setField("EmailAddress", address));
        ASSERT_TRUE(list.setField("Group", group));
    }
    ASSERT_TRUE(list.close());
}

inline std::vector<std::string> logLines(const std::filesystem::path& dataDir, std::string_view log)
{
    return splitLines(readWholeFile(SendLogs::file(dataDir, log)));
}

} // namespace tidecast::send::test
