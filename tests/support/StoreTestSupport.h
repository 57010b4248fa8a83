#pragma once

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "common/Text.h"
#include "store/GroupStore.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"
#include "support/FixedClock.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tidecast::store::test
{

class RecordingStatus final : public StatusSink
{
public:
    void showStatus(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

class RecordingProgress final : public Progress
{
public:
    void setLabel(std::string_view) override {}
    void setMaximum(std::int64_t maximum) override { maximums.push_back(maximum); }
    void setValue(std::int64_t value) override { values.push_back(value); }
    std::vector<std::int64_t> maximums;
    std::vector<std::int64_t> values;
};

// Every record of a group file in file order; none of them may be marked deleted.
inline std::vector<RecipientRecord> readGroupFile(const std::filesystem::path& path)
{
    std::vector<RecipientRecord> out;
    RecipientStore file;
    EXPECT_TRUE(file.open(path)) << path;
    EXPECT_TRUE(file.moveFirst());
    while (!file.atEnd()) {
        EXPECT_FALSE(file.isDeleted());
        out.push_back(readRecipient(file));
        EXPECT_TRUE(file.moveNext());
    }
    return out;
}

// 2026-03-14 12:00 UTC: any test that looks at dates sees this day.
inline std::chrono::system_clock::time_point fixedNow()
{
    return std::chrono::sys_days{std::chrono::year{2026} / 3 / 14} + std::chrono::hours{12};
}

// A data folder with a group store over it and recording collaborators.
class StoreTest : public ::testing::Test
{
protected:
    tidecast::test::TempDir dir;
    ScriptedPrompter prompter;
    RecordingStatus status;
    RecordingProgress progress;
    FixedClock clock{fixedNow()};
    GroupStore groups{dir.path(), prompter, status, progress, clock};

    // Adds a group through the dialog's path and the add command's completion.
    void addGroup(const std::string& name, const GroupDetails& details = {})
    {
        groups.beginAddGroup();
        ASSERT_TRUE(groups.acceptGroupDialog("", name, details).accepted()) << name;
        groups.finishAddGroup();
    }

    // Appends `count` recipients a0@example.test, a1@... straight into a group file.
    void fillGroup(const std::string& name, int count, int firstNumber = 0)
    {
        RecipientStore file;
        ASSERT_TRUE(file.open(groups.groupPath(name)));
        ASSERT_TRUE(file.beginTransaction());
        for (int i = firstNumber; i < firstNumber + count; ++i) {
            RecipientRecord record;
            record.set(RecipientField::EmailAddress, "a" + std::to_string(i) + "@example.test");
            record.set(RecipientField::FirstName, "First" + std::to_string(i));
            record.dateAdded = "2020-01-01";
            ASSERT_TRUE(file.addNew());
            writeRecipient(file, record);
        }
        ASSERT_TRUE(file.commitTransaction());
        ASSERT_TRUE(file.close());
    }

    // Writes "Exclusion List.gdb" with (address, group) entries.
    void writeExclusions(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        RecipientStore file;
        file.resetLayout();
        file.defineField("EmailAddress", FieldType::Text, 75);
        file.defineField("Group", FieldType::Text, 50);
        ASSERT_EQ(file.createFile(groups.exclusionListFile()), 0);
        ASSERT_TRUE(file.open(groups.exclusionListFile()));
        for (const auto& [address, group] : entries) {
            ASSERT_TRUE(file.addNew());
            file.setField(0, address);
            file.setField(1, group);
        }
        ASSERT_TRUE(file.close());
    }

    std::vector<std::pair<std::string, std::string>> readExclusions()
    {
        std::vector<std::pair<std::string, std::string>> out;
        RecipientStore file;
        EXPECT_TRUE(file.open(groups.exclusionListFile()));
        EXPECT_TRUE(file.moveFirst());
        while (!file.atEnd()) {
            out.emplace_back(file.field("EmailAddress"), file.field("Group"));
            EXPECT_TRUE(file.moveNext());
        }
        return out;
    }

    std::string listText() { return readWholeFile(groups.listFile()); }

    std::vector<RecipientRecord> records(const std::string& group) { return readGroupFile(groups.groupPath(group)); }

    std::vector<std::string> addressesOf(const std::string& group)
    {
        std::vector<std::string> out;
        for (const auto& record : records(group)) {
            out.push_back(record.emailAddress());
        }
        return out;
    }
};

} // namespace tidecast::store::test
