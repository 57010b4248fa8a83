#include "commands/RecipientSearch.h"

#include "commands/GroupSetupCommands.h"
#include "commands/MaintenanceTexts.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tidecast::commands::test
{
namespace
{

using namespace store;
using namespace store::test;

class RecipientSearchTest : public StoreTest
{
protected:
    RecipientSearch search{dir.path(), prompter};

    // Five recipients a0..a4; the first and the last live in London, the stored "WEB" and "FAX"
    // columns hold upper-case values.
    void SetUp() override
    {
        addGroup("Club");
        fillGroup("Club", 5);
        RecipientStore file;
        ASSERT_TRUE(file.open(groups.groupPath("Club")));
        ASSERT_TRUE(file.moveFirst());
        for (int i = 0; !file.atEnd(); ++i) {
            ASSERT_TRUE(file.setField("City", i == 0 || i == 4 ? "London" : "Paris"));
            ASSERT_TRUE(file.setField("WEB", i == 2 ? "WWW.EXAMPLE.TEST" : ""));
            ASSERT_TRUE(file.setField("FAX", i == 3 ? "0100 50%" : ""));
            ASSERT_TRUE(file.moveNext());
        }
        ASSERT_TRUE(file.close());
        prompter.clear();
    }

    std::vector<std::string> addressesFound(const SearchCriteria& criteria, SearchResult* result = nullptr)
    {
        std::vector<std::string> out;
        const auto ran =
            search.run(criteria, [&out](const RecipientStore& match) { out.push_back(match.field("EMailAddress")); });
        if (result != nullptr) {
            *result = ran;
        }
        return out;
    }
};

TEST_F(RecipientSearchTest, FindsEveryMatchInFileOrderWhateverTheFieldOrComparison)
{
    struct Case
    {
        std::string field;
        FindOperator comparison;
        std::string value;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> everyone = {"a0@example.test", "a1@example.test", "a2@example.test",
                                               "a3@example.test", "a4@example.test"};
    const std::vector<Case> cases = {
        {"EMailAddress", FindOperator::Equals, "a0@example.test", {"a0@example.test"}},
        {"EmailAddress", FindOperator::Equals, "A4@EXAMPLE.TEST", {"a4@example.test"}},
        {"City", FindOperator::Equals, "london", {"a0@example.test", "a4@example.test"}},
        {"City", FindOperator::HasLike, "ari", {"a1@example.test", "a2@example.test", "a3@example.test"}},
        {"Web", FindOperator::StartsLike, "www.", {"a2@example.test"}},
        {"Fax", FindOperator::EndsLike, "50%", {"a3@example.test"}},
        {"Fax", FindOperator::HasLike, "0%", {"a3@example.test"}},
        {"FirstName", FindOperator::StartsLike, "First", everyone},
        {"DateAdded", FindOperator::Equals, "2020-01-01", everyone},
    };
    for (const auto& c : cases) {
        prompter.clear();
        SearchResult result;
        EXPECT_EQ(addressesFound({"Club", c.field, c.comparison, c.value}, &result), c.expected) << c.field << c.value;
        EXPECT_EQ(result.found, static_cast<std::int64_t>(c.expected.size()));
        EXPECT_TRUE(result.succeeded());
        EXPECT_TRUE(prompter.log().empty()) << c.field << c.value;
    }
}

TEST_F(RecipientSearchTest, TellsWhyNothingWasFoundUnlessTheSearchIsRepeated)
{
    addGroup("Empty");
    {
        std::ofstream broken(dir.path() / "Broken.gdb");
        broken << "not a database";
    }
    struct Case
    {
        std::string group;
        std::string value;
        store::CommandOutcome outcome;
        std::string_view message;
        Icon icon;
    };
    const std::vector<Case> cases = {
        {"", "a0@example.test", store::CommandOutcome::Refused, text::kSelectGroupToSearch, Icon::Critical},
        {"Broken", "a0@example.test", store::CommandOutcome::Refused, text::kSearchGroupUnopenable, Icon::Critical},
        {"Gone", "a0@example.test", store::CommandOutcome::Refused, text::kSearchGroupUnopenable, Icon::Critical},
        {"Empty", "a0@example.test", store::CommandOutcome::Refused, text::kSearchGroupEmpty, Icon::Critical},
        {"Club", "nobody@example.test", store::CommandOutcome::Done, text::kSearchFoundNobody, Icon::Exclamation},
    };
    for (const bool repeating : {false, true}) {
        search.setRepeating(repeating);
        for (const auto& c : cases) {
            prompter.clear();
            SearchResult result;
            EXPECT_TRUE(addressesFound({c.group, "EmailAddress", FindOperator::Equals, c.value}, &result).empty());
            EXPECT_EQ(result.outcome, c.outcome) << c.group;
            EXPECT_FALSE(result.succeeded());
            // Only the missing choice of a group is said when repeating.
            const bool shown = !repeating || c.group.empty();
            std::vector<ScriptedPrompter::Entry> expected;
            if (shown) {
                expected.push_back({std::string(c.message), c.icon, false});
            }
            EXPECT_EQ(prompter.log(), expected) << c.group << repeating;
        }
    }
}

TEST_F(RecipientSearchTest, CountTextLabelsAndStop)
{
    EXPECT_EQ(text::searchCount(2, true), "Search returned 2 recipient(s)");
    EXPECT_EQ(text::searchCount(0, false), "Search returned 0 recipients");

    const std::vector<std::pair<std::string, std::optional<std::string>>> labels = {
        {"Email Address", "EmailAddress"}, {"WEB URL", "WEB"},           {"fax", "FAX"},
        {"Date Added", "DateAdded"},       {"Group Name", std::nullopt}, {"Nothing", std::nullopt},
    };
    for (const auto& [label, name] : labels) {
        EXPECT_EQ(searchFieldName(label), name) << label;
    }
    EXPECT_EQ(searchFieldLabels().size(), 20U);
    EXPECT_EQ(searchFieldLabels()[3], "Initial");
    EXPECT_EQ(searchComparison("Starts with"), FindOperator::StartsLike);
    EXPECT_EQ(searchComparison("Ends with"), FindOperator::EndsLike);
    EXPECT_FALSE(searchComparison("Like"));

    std::stop_source stop;
    int seen = 0;
    const auto result = search.run(
        {"Club", "City", FindOperator::HasLike, "o"},
        [&](const RecipientStore&) {
            ++seen;
            stop.request_stop();
        },
        stop.get_token());
    EXPECT_EQ(result.outcome, store::CommandOutcome::Stopped);
    EXPECT_EQ(seen, 1);
}

TEST_F(RecipientSearchTest, ReachesAndModifiesARecipientBeyondTheListedRows)
{
    fillGroup("Club", 32005, 5);
    const std::string beyond = "a32007@example.test";
    EXPECT_EQ(addressesFound({"Club", "EmailAddress", FindOperator::Equals, beyond}), std::vector<std::string>{beyond});

    GroupSetupCommands list(groups);
    list.setGroup("Club");
    list.setGroupsOnlyView(true);
    auto record = list.findRecipient(beyond);
    ASSERT_TRUE(record);
    record->set(RecipientField::LastName, "Found");
    list.setModifying(beyond);
    ASSERT_TRUE(list.saveRecipient(*record));

    std::vector<std::string> lastNames;
    search.run({"Club", "LastName", FindOperator::Equals, "Found"},
               [&lastNames](const RecipientStore& match) { lastNames.push_back(match.field("EmailAddress")); });
    EXPECT_EQ(lastNames, std::vector<std::string>{beyond});
}

// Every record of an open file, in file order.
std::vector<RecipientRecord> recordsOf(const std::filesystem::path& path)
{
    std::vector<RecipientRecord> out;
    RecipientStore file;
    if (!file.open(path) || !file.moveFirst()) {
        return out;
    }
    while (!file.atEnd()) {
        out.push_back(readRecipient(file));
        if (!file.moveNext()) {
            break;
        }
    }
    (void)file.close();
    return out;
}

TEST_F(RecipientSearchTest, CopiesEveryMatchWithAllItsFieldsIntoAFreshFile)
{
    const auto club = recordsOf(groups.groupPath("Club"));
    ASSERT_EQ(club.size(), 5U);
    const auto target = dir.path() / "Search Results.gdb";
    struct Case
    {
        std::string field;
        std::string value;
        std::vector<std::size_t> expected; // rows of "Club"
        std::int64_t found;
    };
    // Each run replaces what the one before wrote.
    const std::vector<Case> cases = {
        {"City", "London", {0, 4}, 2},
        {"Web", "WWW.EXAMPLE.TEST", {2}, 1},
        {"City", "Nowhere", {}, 0},
    };
    for (const auto& c : cases) {
        prompter.clear();
        const auto result = search.copyMatches({"Club", c.field, FindOperator::Equals, c.value}, target);
        EXPECT_EQ(result.outcome, store::CommandOutcome::Done) << c.value;
        EXPECT_EQ(result.found, c.found) << c.value;
        std::vector<RecipientRecord> expected;
        for (const auto row : c.expected) {
            expected.push_back(club[row]);
        }
        EXPECT_EQ(recordsOf(target), expected) << c.value;
        EXPECT_TRUE(prompter.log().empty()) << c.value;
    }
    EXPECT_EQ(club[0].dateAdded, "2020-01-01");
    EXPECT_FALSE(search.repeating());

    const auto failed =
        search.copyMatches({"Club", "City", FindOperator::Equals, "London"}, dir.path() / "missing" / "x.gdb");
    EXPECT_EQ(failed.outcome, store::CommandOutcome::Failed);
    ASSERT_EQ(prompter.texts().size(), 1U);
    EXPECT_TRUE(prompter.texts()[0].starts_with("Search Error: ")) << prompter.texts()[0];
}

} // namespace
} // namespace tidecast::commands::test
