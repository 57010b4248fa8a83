#include "commands/GroupMaintenance.h"

#include "commands/MaintenanceTexts.h"
#include "commands/RecipientSearch.h"
#include "store/RecipientRecord.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tidecast::commands::test
{
namespace
{

using namespace store;
using namespace store::test;

// The window's progress: its label texts and bar values.
class WindowProgress final : public Progress
{
public:
    void setLabel(std::string_view text) override { labels.emplace_back(text); }
    void setMaximum(std::int64_t maximum) override { maximums.push_back(maximum); }
    void setValue(std::int64_t value) override { values.push_back(value); }
    std::vector<std::string> labels;
    std::vector<std::int64_t> maximums;
    std::vector<std::int64_t> values;
};

class GroupMaintenanceTest : public StoreTest
{
protected:
    WindowProgress window;

    GroupMaintenance maintenance()
    {
        auto context = maintenanceContext(groups);
        return GroupMaintenance({context.dataDir, prompter, status, window, clock, groups.safeDelete()});
    }

    void writeGroup(const std::string& name, const std::vector<std::vector<std::string>>& rows)
    {
        addGroup(name);
        RecipientStore file;
        ASSERT_TRUE(file.open(groups.groupPath(name)));
        for (const auto& row : rows) {
            ASSERT_TRUE(file.addNew());
            ASSERT_TRUE(file.setField("EmailAddress", row[0]));
            ASSERT_TRUE(file.setField("LastName", row[1]));
            ASSERT_TRUE(file.setField("DateAdded", row[2]));
        }
        ASSERT_TRUE(file.close());
        prompter.clear();
    }

    ino_t inode(const std::string& group)
    {
        struct stat info = {};
        EXPECT_EQ(stat(groups.groupPath(group).c_str(), &info), 0);
        return info.st_ino;
    }
};

TEST_F(GroupMaintenanceTest, SortsEachGroupByTheChosenFieldAndIsRefusedUnderDoubleByteSafety)
{
    const std::vector<std::vector<std::string>> rows = {
        {"c@x.test", "beta", "2021-05-01"}, {"a@x.test", "Gamma", "2019-01-01"}, {"b@x.test", "ALPHA", "2020-02-02"}};
    writeGroup("One", rows);
    writeGroup("Two", rows);
    struct Case
    {
        std::string label;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"Last Name", {"b@x.test", "c@x.test", "a@x.test"}},
        {"Date Added", {"a@x.test", "b@x.test", "c@x.test"}},
        {"Email Address", {"a@x.test", "b@x.test", "c@x.test"}},
    };
    for (const auto& c : cases) {
        window.labels.clear();
        const auto field = searchFieldName(c.label);
        ASSERT_TRUE(field) << c.label;
        EXPECT_EQ(maintenance().sortGroups({"One", "Two"}, *field), CommandOutcome::Done);
        EXPECT_EQ(addressesOf("One"), c.expected) << c.label;
        EXPECT_EQ(addressesOf("Two"), c.expected) << c.label;
        EXPECT_EQ(window.labels.front(), text::kSorting);
    }
    EXPECT_EQ(GroupMaintenance::sortFieldLabels().back(), "Date Added");
    EXPECT_TRUE(prompter.log().empty());

    groups.setSafeDelete(true);
    const auto before = addressesOf("One");
    EXPECT_EQ(maintenance().sortGroups({"One"}, "LastName"), CommandOutcome::Refused);
    EXPECT_EQ(prompter.log(),
              (std::vector<ScriptedPrompter::Entry>{{std::string(text::kSortRefused), Icon::Exclamation, false}}));
    EXPECT_EQ(addressesOf("One"), before);
}

TEST_F(GroupMaintenanceTest, RepairDeletesAddressesWithoutAtReportsAndCompactsOnlyWhenSomethingWent)
{
    struct Case
    {
        std::vector<std::string> stored;
        std::vector<std::string> kept;
        bool safe;
    };
    const std::vector<Case> cases = {
        {{"a@x.test", "b@x.test"}, {"a@x.test", "b@x.test"}, true},
        {{"broken", "a@x.test", "", "also.broken", "b@x.test", "no-at"}, {"a@x.test", "b@x.test"}, true},
        {{"first-broken", "a@x.test", "last-broken"}, {"a@x.test"}, false},
        {{}, {}, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(groups.groupPath("G"));
        std::filesystem::remove(groups.listFile());
        std::vector<std::vector<std::string>> rows;
        for (const auto& address : c.stored) {
            rows.push_back({address, "", "2020-01-01"});
        }
        writeGroup("G", rows);
        groups.setSafeDelete(c.safe);
        window.labels.clear();
        const auto before = inode("G");
        auto repair = maintenance();
        EXPECT_EQ(repair.repairGroup("G"), CommandOutcome::Done);
        EXPECT_EQ(addressesOf("G"), c.kept);
        const std::string report = "Finished Checking G\r\n\r\n" + std::to_string(c.stored.size()) +
                                   " Recipients were checked.\r\n" + std::to_string(c.stored.size() - c.kept.size()) +
                                   " Recipients were damaged and deleted.";
        EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{{report, Icon::Information, false}}));
        const bool damaged = c.kept.size() < c.stored.size();
        std::vector<std::string> labels = {std::string(text::kOpening)};
        if (!c.stored.empty()) {
            labels.emplace_back(text::kChecking);
        }
        if (damaged) {
            labels.emplace_back(text::kRepairing);
        }
        EXPECT_EQ(window.labels, labels) << report;
        // The safe rebuild puts a new file in the group's place; a clean group keeps its file.
        if (c.safe) {
            EXPECT_EQ(inode("G") != before, damaged) << report;
        }
    }
}

} // namespace
} // namespace tidecast::commands::test
