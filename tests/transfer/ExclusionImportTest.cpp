#include "transfer/ExclusionImport.h"

#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stop_token>
#include <string>
#include <vector>

namespace tidecast::transfer
{
namespace
{

class LastCounts final : public ImportProgress
{
public:
    void setLabel(std::string_view) override {}
    void setMaximum(std::int64_t) override {}
    void setValue(std::int64_t) override {}
    void setCounts(const ImportCounts& counts) override { last = counts; }

    ImportCounts last;
};

// Stops the run once it has taken `stopAfter` entries.
class StopAfterAdding final : public StatusSink
{
public:
    void showStatus(std::string_view text) override
    {
        if (text == "Adding Recipient information" && ++adding == stopAfter) {
            stop.request_stop();
        }
    }

    int adding = 0;
    int stopAfter = -1;
    std::stop_source stop;
};

class ExclusionImportTest : public ::testing::Test
{
protected:
    std::vector<std::string> run(ImportSource source, std::string group, std::vector<std::string> filters = {})
    {
        result = runExclusionImport(list, {std::move(source), group, std::move(filters)}, progress, status, prompter,
                                    status.stop.get_token());
        std::vector<std::string> added;
        for (const auto& entry : result.added) {
            EXPECT_EQ(entry.group, group);
            added.push_back(entry.emailAddress);
        }
        EXPECT_EQ(progress.last, result.summary.counts);
        return added;
    }

    test::TempDir dir;
    ExclusionList list;
    LastCounts progress;
    StopAfterAdding status;
    ScriptedPrompter prompter;
    ExclusionImportResult result;
};

TEST_F(ExclusionImportTest, CountsEachCandidateOnceAndTakesTheNewInOrder)
{
    ASSERT_TRUE(list.add("every@example.test", "All Groups"));
    ASSERT_TRUE(list.add("club@example.test", "Club"));
    // A repeat in other letter case, one the list covers for every group, one too short after the "@".
    const std::string text = "To: new@example.test, EVERY@Example.Test\r\nCc: NEW@EXAMPLE.TEST x@ab.c\n"
                             "club@example.test; other@example.org";
    const struct
    {
        const char* name;
        std::string group;
        std::vector<std::string> filters;
        std::vector<std::string> added;
        ImportCounts counts;
    } cases[] = {
        {"Club's entry does not cover Team",
         "Team",
         {},
         {"new@example.test", "club@example.test", "other@example.org"},
         {3, 2, 0, 1}},
        {"an entry for the group itself is a duplicate",
         "Club",
         {},
         {"new@example.test", "other@example.org"},
         {2, 3, 0, 1}},
        {"a filter ignores what it rejects",
         "Team",
         {"IGNORE where 'Email Address' Ends with '.org'"},
         {"new@example.test", "club@example.test"},
         {2, 2, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run({{}, text}, c.group, c.filters), c.added);
        EXPECT_EQ(result.summary.counts, c.counts);
        EXPECT_EQ(result.summary.ending, ImportEnding::Completed);
    }
    EXPECT_EQ(list.size(), 2U) << "the run only reads the list";
    EXPECT_TRUE(prompter.log().empty());
}

TEST_F(ExclusionImportTest, ReadsFilesAsTheImportDoesAndStopsAtTheNextCandidate)
{
    std::ofstream(dir / "plain.txt", std::ios::binary) << "a1@example.test, a2@example.test a3@example.test";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("Ann <ann@example.test>\r\n")) {
        utf16 += {c, '\0'};
    }
    std::ofstream(dir / "wide.txt", std::ios::binary) << utf16;

    const struct
    {
        const char* file;
        int stopAfter;
        std::vector<std::string> added;
        ImportEnding ending;
    } cases[] = {
        {"plain.txt", -1, {"a1@example.test", "a2@example.test", "a3@example.test"}, ImportEnding::Completed},
        {"plain.txt", 2, {"a1@example.test", "a2@example.test"}, ImportEnding::Stopped},
        {"wide.txt", -1, {"ann@example.test"}, ImportEnding::Completed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        status = {};
        status.stopAfter = c.stopAfter;
        EXPECT_EQ(run({dir / c.file, std::nullopt}, "All Groups"), c.added);
        EXPECT_EQ(result.summary.ending, c.ending);
    }
}

TEST_F(ExclusionImportTest, ReportsWhatEndsItEarly)
{
    const auto gone = dir / "gone.txt";
    const struct
    {
        ImportSource source;
        bool refused;
        ScriptedPrompter::Entry message;
    } cases[] = {
        {{gone, std::nullopt},
         false,
         {"Exclusion RAWImport Error: 53 - Unable to read " + gone.string(), Icon::Exclamation, false}},
        {{{}, std::string("   ")},
         true,
         {"No data was found on the clipboard!\r\nPlease copy the data you intend to import to the clip board and try "
          "again.",
          Icon::Critical, false}},
    };
    for (const auto& c : cases) {
        prompter.clear();
        EXPECT_TRUE(run(c.source, "All Groups").empty());
        EXPECT_EQ(result.summary.ending, ImportEnding::ErrorsEncountered);
        EXPECT_EQ(result.summary.refused, c.refused);
        EXPECT_EQ(prompter.log(), std::vector<ScriptedPrompter::Entry>{c.message});
    }
}

} // namespace
} // namespace tidecast::transfer
