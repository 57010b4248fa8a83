#include "filters/FilterFile.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tidecast::filters
{
namespace
{

const FilterList kThree{"Send where 'City'  Equals 'London'", "IGNORE where 'Email Address' Ends with '.org' -CS",
                        "Send where 'Company Name'  Contains 'Café'"};

TEST(FilterFile, RoundTripKeepsOrderAndDropsBlankLines)
{
    test::TempDir dir;
    auto path = dir / "list.gsf";
    ASSERT_TRUE(writeFilterFile(path, kThree));
    EXPECT_EQ(readWholeFile(path), kThree[0] + "\r\n" + kThree[1] + "\r\n" + kThree[2] + "\r\n");
    auto loaded = readFilterFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, kThree);

    // Edited by hand: blank lines, LF-only ends, a Latin-1 line and a line that is no rule.
    ASSERT_TRUE(
        writeWholeFile(path, "\r\n" + kThree[0] + "\n\n   \r\nImport where 'City'  Equals 'K\xF6ln'\r\nnot a rule"));
    loaded = readFilterFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, (FilterList{kThree[0], "Import where 'City'  Equals 'Köln'", "not a rule"}));

    EXPECT_EQ(readFilterFile(dir / "missing.tcf").error().code, ErrorCode::FileNotFound);
}

TEST(FilterFile, SaveAndLoadRememberTheFolderAndTellThePerson)
{
    test::TempDir dir;
    std::filesystem::create_directories(dir / "lists");
    settings::Settings settings;
    ScriptedPrompter prompter;
    const std::string folder = (dir / "lists").string() + "/";

    EXPECT_EQ(filterStartFolder(settings, FilterFileKind::Send, "/data/"), "/data/");
    EXPECT_FALSE(canSaveFilterList({}, prompter));
    EXPECT_TRUE(canSaveFilterList(kThree, prompter));

    auto path = dir / "lists" / "mine.gsf";
    EXPECT_TRUE(saveFilterList(FilterFileKind::Send, kThree, path, settings, prompter));
    EXPECT_EQ(settings.lastSendFilterFolder, folder);
    EXPECT_TRUE(settings.lastImportFilterFolder.empty());
    EXPECT_EQ(filterStartFolder(settings, FilterFileKind::Send, "/data/"), folder);

    FilterList list{"old rule"};
    settings.lastSendFilterFolder.clear();
    EXPECT_EQ(loadFilterList(FilterFileKind::Import, dir / "lists" / "nope.tcf", settings, prompter, list),
              FilterLoadStatus::Missing);
    EXPECT_EQ(list, FilterList{"old rule"});
    EXPECT_TRUE(settings.lastImportFilterFolder.empty());
    EXPECT_EQ(loadFilterList(FilterFileKind::Import, path, settings, prompter, list), FilterLoadStatus::Loaded);
    EXPECT_EQ(list, kThree);
    EXPECT_EQ(settings.lastImportFilterFolder, folder);

    EXPECT_EQ(prompter.log(),
              (std::vector<ScriptedPrompter::Entry>{
                  {"Please add some filters to the list brfore attempting to save it.", Icon::Exclamation, false},
                  {"Filter List saved to \r\n" + path.string(), Icon::Information, false},
                  {"Please select a valid Filter list!", Icon::Exclamation, false},
              }));
}

} // namespace
} // namespace tidecast::filters
