#include "transfer/ImportSetup.h"

#include "common/Text.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tidecast::transfer
{
namespace
{

constexpr std::string_view kNoFile = "Please select a valid file to import first.";
constexpr std::string_view kNoClipboard = "These appears to be no data currently on the clipboard. Please copy your "
                                          "data to the Windows clipboard before proceeding.";
constexpr std::string_view kNoAddress = "You must match up the Email Address field in the import file to the Email "
                                        "Address field in the Tidecast database.";
constexpr std::string_view kNoGroup = "Please select a valid destination Group for the data to be imported.";

TEST(ImportSetup, EachPageRefusesWhatItCannotUseWithItsMessage)
{
    test::TempDir dir;
    const auto file = dir / "people.csv";
    std::ofstream(file) << "a@b.example,Ann\n";
    ColumnMapping unmapped;
    ColumnMapping mapped;
    mapped.source(MatchUpField::EmailAddress) = 2;

    const struct
    {
        std::function<bool(Prompter&)> check;
        bool passes;
        std::string_view message;
    } cases[] = {
        {[&](Prompter& p) {
             return checkImportSource({file, std::nullopt}, p);
         },
         true, ""},
        {[&](Prompter& p) {
             return checkImportSource({dir / "missing.csv", std::nullopt}, p);
         },
         false, kNoFile},
        {[&](Prompter& p) {
             return checkImportSource({dir.path(), std::nullopt}, p);
         },
         false, kNoFile},
        {[&](Prompter& p) {
             return checkImportSource({{}, std::nullopt}, p);
         },
         false, kNoFile},
        {[&](Prompter& p) {
             return checkImportSource({{}, std::string(" \t ")}, p);
         },
         true, ""},
        {[&](Prompter& p) {
             return checkImportSource({{}, std::string("   ")}, p);
         },
         false, kNoClipboard},
        {[&](Prompter& p) {
             return checkImportSource({file, std::string()}, p);
         },
         false, kNoClipboard},
        {[&](Prompter& p) { return checkMatchUp(unmapped, p); }, false, kNoAddress},
        {[&](Prompter& p) { return checkMatchUp(mapped, p); }, true, ""},
        {[&](Prompter& p) { return checkDestination("", p); }, false, kNoGroup},
        {[&](Prompter& p) { return checkDestination("Customers", p); }, true, ""},
    };
    for (const auto& c : cases) {
        ScriptedPrompter prompter;
        EXPECT_EQ(c.check(prompter), c.passes) << c.message;
        if (c.passes) {
            EXPECT_TRUE(prompter.log().empty());
        } else {
            EXPECT_EQ(prompter.log(),
                      (std::vector<ScriptedPrompter::Entry>{{std::string(c.message), Icon::Exclamation, false}}));
        }
    }
}

TEST(ImportSetup, MatchUpEntriesShowTheFirstLinesValues)
{
    EXPECT_EQ(matchUpEntries("\"Smith, Jo\", jo@x.example ,,", Delimiter::Comma, 4),
              (std::vector<std::string>{"(blank)", "Input Field 1    (\"Smith, Jo\")",
                                        "Input Field 2    (jo@x.example)", "Input Field 3", "Input Field 4"}));
    EXPECT_EQ(matchUpEntries("a;b", Delimiter::Semicolon, 1),
              (std::vector<std::string>{"(blank)", "Input Field 1    (a)"}));
    EXPECT_EQ(matchUpEntries("", Delimiter::Tab, 2),
              (std::vector<std::string>{"(blank)", "Input Field 1", "Input Field 2"}));
}

TEST(ImportSetup, AddressFieldIsTheFirstHoldingAnAtAndADot)
{
    const struct
    {
        std::vector<std::string> lines;
        Delimiter delimiter;
        int count;
        int field;
    } cases[] = {
        {{"Name;Mail;City", "Ann;ann@x.example;Leeds"}, Delimiter::Semicolon, 3, 2},
        {{"ann@x.example;Ann;Leeds"}, Delimiter::Semicolon, 3, 1},
        {{"Ann,ann@host,a.b@c.example"}, Delimiter::Comma, 3, 3},
        {{"Ann,Lee,x", "Bob,Lee,y"}, Delimiter::Comma, 3, 0},
        // Beyond the declared count nothing is looked at.
        {{"Ann,Lee,ann@x.example"}, Delimiter::Comma, 2, 0},
        {{}, Delimiter::Comma, 3, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(guessAddressField(c.lines, c.delimiter, c.count), c.field) << c.lines.size();
    }
}

TEST(ImportSetup, CountsAreKeptBetweenOneAndTwoHundred)
{
    EXPECT_EQ(clampFieldCount(250), 200);
    EXPECT_EQ(clampFieldCount(0), 1);
    EXPECT_EQ(clampFieldCount(-3), 1);
    EXPECT_EQ(clampFieldCount(7), 7);
}

TEST(ImportSetup, FirstLinesAreDecodedAsTheImportReadsThem)
{
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("a\0;\0b\0\r\0\n\0c\0", 12);
    EXPECT_EQ(firstDataLines(ImportSource{{}, utf16}, 5), (std::vector<std::string>{"a;b", "c"}));
    EXPECT_EQ(firstDataLines(ImportSource{{}, std::string("x\ry\rz")}, 2), (std::vector<std::string>{"x", "y"}));
}

TEST(ImportSetup, TheProgressWindowDescribesTheImport)
{
    ImportRequest delimited;
    delimited.file = "/data/people.csv";
    delimited.delimiter = Delimiter::Semicolon;
    delimited.mapping.fieldCount = 9;
    const auto d = describeImport(delimited);
    EXPECT_EQ(d.source, "/data/people.csv");
    EXPECT_EQ(d.type, "Type: Delimited");
    EXPECT_EQ(d.delimiter, "Delimiter: ;");
    EXPECT_EQ(d.fields, "Fields: 9");

    ImportRequest harvest;
    harvest.clipboard = "text";
    harvest.layout = ImportLayout::Harvest;
    const auto h = describeImport(harvest);
    EXPECT_EQ(h.source, "From Clipboard");
    EXPECT_EQ(h.type, "Type: All other File/Data formats");
    EXPECT_EQ(h.delimiter, "Delimiter: none");
    EXPECT_EQ(h.fields, "Fields: 1");
}

} // namespace
} // namespace tidecast::transfer
