#include "transfer/ImportEngine.h"

#include "store/LocalDate.h"
#include "store/SqliteDatabase.h"
#include "support/StoreTestSupport.h"
#include "transfer/AddressHarvester.h"

#include <gtest/gtest.h>

#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace tidecast::transfer
{
namespace
{

using store::RecipientField;

class CountingProgress final : public ImportProgress
{
public:
    void setLabel(std::string_view text) override { labels.emplace_back(text); }
    void setMaximum(std::int64_t) override {}
    void setValue(std::int64_t) override
    {
        if (onValue) {
            onValue();
        }
    }
    void setCounts(const ImportCounts& counts) override { last = counts; }

    std::vector<std::string> labels;
    ImportCounts last;
    std::function<void()> onValue;
};

class ImportEngineTest : public store::test::StoreTest
{
protected:
    ImportEngineTest() { addGroup("Customers"); }

    ImportRequest delimited(const std::string& fileName, Delimiter delimiter, int fieldCount,
                            std::initializer_list<std::pair<MatchUpField, int>> sources = {})
    {
        ImportRequest request;
        request.file = dir / fileName;
        request.layout = ImportLayout::Delimited;
        request.delimiter = delimiter;
        request.mapping.fieldCount = fieldCount;
        for (const auto& [field, column] : sources) {
            request.mapping.source(field) = column;
        }
        request.groupName = "Customers";
        request.groupPath = groups.groupPath("Customers");
        request.dataFolder = dir.path();
        return request;
    }

    ImportSummary run(const ImportRequest& request, std::stop_token stop = {})
    {
        return runImport(request, importProgress, prompter, clock, stop);
    }

    std::vector<store::RecipientRecord> recipients() { return records("Customers"); }
    std::vector<std::string> addresses() { return addressesOf("Customers"); }

    std::string reportText() { return readWholeFile(dir / std::string(kReportFileName)); }

    // The report's header lines for a delimited import, each ended by CR LF.
    std::string delimitedHeader(const std::string& source, std::string_view delimiter, std::string_view layout,
                                bool checked = true)
    {
        return "# Importing :" + source + "\r\n# To :Customers\r\n# Type: Delimited\r\n" +
               (checked ? "" : "# Import Data not checked for Duplicates\r\n") +
               "# Delimiter: " + std::string(delimiter) + "\r\n# Expected Field layout :" + std::string(layout) +
               "\r\n\r\n# Date :" + store::formatGeneralDate(clock.now()) + "\r\n \r\n";
    }

    CountingProgress importProgress;
};

TEST_F(ImportEngineTest, ImportsASpreadsheetCsvWithMarkAndQuotes)
{
    ASSERT_TRUE(writeWholeFile(dir / "export.csv",
                               "\xEF\xBB\xBFName,Email,City,Company\r\n"
                               "\"Smith, Jr., John\",john.smith@example.com,London,\"Acme, Inc.\"\r\n"
                               "Mr Bob Jones,BOB@example.org,Leeds,\r\n"
                               "Ann Lee, ann@example.net ,\"Paris\",\"Say \"\"Hi\"\"\"\r\n"
                               "Bob Jones,bob@EXAMPLE.org,York,Dup Co\r\n"
                               "No Address,not-an-address,Nowhere,None\r\n"));
    auto request = delimited("export.csv", Delimiter::Comma, 4,
                             {{MatchUpField::EmailAddress, 2},
                              {MatchUpField::FullNameMacro, 1},
                              {MatchUpField::City, 3},
                              {MatchUpField::Company, 4}});
    request.mapping.oneNameField = true;

    const auto summary = run(request);
    EXPECT_EQ(summary.ending, ImportEnding::Completed);
    EXPECT_EQ(summary.counts, (ImportCounts{3, 1, 0, 2}));
    EXPECT_EQ(importProgress.last, summary.counts);
    EXPECT_TRUE(prompter.log().empty());

    const auto stored = recipients();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].emailAddress(), "john.smith@example.com");
    EXPECT_EQ(stored[0].get(RecipientField::FirstName), "Smith,");
    EXPECT_EQ(stored[0].get(RecipientField::LastName), "Jr., John");
    EXPECT_EQ(stored[0].get(RecipientField::Company), "Acme, Inc.");
    EXPECT_EQ(stored[0].dateAdded, "2026-03-14");
    EXPECT_EQ(stored[1].get(RecipientField::Title), "Mr");
    EXPECT_EQ(stored[1].get(RecipientField::FirstName), "Bob");
    EXPECT_EQ(stored[1].get(RecipientField::LastName), "Jones");
    EXPECT_EQ(stored[2].emailAddress(), "ann@example.net");
    EXPECT_EQ(stored[2].get(RecipientField::City), "Paris");
    EXPECT_EQ(stored[2].get(RecipientField::Company), "Say \"Hi\"");

    EXPECT_EQ(reportText(),
              delimitedHeader((dir / "export.csv").string(), "COMMA", "Field 2, Field 1, Field 3, Field 4") +
                  "** Illegal Email Address: Email\r\n"
                  "** Complete Record: Name,Email,City,Company\r\n"
                  "\r\n"
                  "** Duplicate Email Address: bob@EXAMPLE.org\r\n"
                  "** Complete Record: Bob Jones,bob@EXAMPLE.org,York,Dup Co\r\n"
                  "\r\n"
                  "** Illegal Email Address: not-an-address\r\n"
                  "** Complete Record: No Address,not-an-address,Nowhere,None\r\n"
                  "\r\n");
}

TEST_F(ImportEngineTest, ImportsASemicolonExportInWindows1252)
{
    ASSERT_TRUE(writeWholeFile(dir / "crm.txt", "mueller@example.de;J\xFCrgen;M\xFCller;K\xF6ln\r\n"
                                                "jose@example.es;Jos\xE9;Garc\xED"
                                                "a;M\xE1"
                                                "laga \x80\r\n"
                                                "no delimiter here\r\n"
                                                "a;b\r\n"
                                                "m\xFCller@example.de;J\xFCrgen;M\xFCller;K\xF6ln\r\n"));
    auto request = delimited("crm.txt", Delimiter::Semicolon, 4,
                             {{MatchUpField::EmailAddress, 1},
                              {MatchUpField::FirstName, 2},
                              {MatchUpField::LastName, 3},
                              {MatchUpField::City, 4}});
    request.checkDuplicates = false;

    const auto summary = run(request);
    EXPECT_EQ(summary.counts, (ImportCounts{2, 0, 0, 3}));
    const auto stored = recipients();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].emailAddress(), "mueller@example.de");
    EXPECT_EQ(stored[0].get(RecipientField::FirstName), "J\xC3\xBCrgen");
    EXPECT_EQ(stored[0].get(RecipientField::City), "K\xC3\xB6ln");
    EXPECT_EQ(stored[1].get(RecipientField::LastName), "Garc\xC3\xAD"
                                                       "a");
    EXPECT_EQ(stored[1].get(RecipientField::City), "M\xC3\xA1laga \xE2\x82\xAC");
    EXPECT_EQ(reportText(),
              delimitedHeader((dir / "crm.txt").string(), ";", "Field 1, Field 2, Field 3, Field 4", false) +
                  "** Delimiter Missing **: no delimiter here\r\n"
                  "\r\n"
                  "** Illegal Email Address: a\r\n"
                  "** Complete Record: a;b\r\n"
                  "\r\n"
                  "** Illegal Email Address: m\xC3\xBCller@example.de\r\n"
                  "** Complete Record: m\xC3\xBCller@example.de;J\xC3\xBCrgen;M\xC3\xBCller;K\xC3\xB6ln\r\n"
                  "\r\n");
}

TEST_F(ImportEngineTest, ImportsAUtf16TabExportAndFiltersIt)
{
    const std::u16string text = u"Email\tFirst\tLast\r\nzoe@example.com\tZo\u00eb\tD\u00fcrr\r\n"
                                u"sam@example.org\tSam\tOrg\r\naase@example.no\t\u00c5se\tBerg\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    ASSERT_TRUE(writeWholeFile(dir / "tabs.txt", bytes));
    auto request =
        delimited("tabs.txt", Delimiter::Tab, 3,
                  {{MatchUpField::EmailAddress, 1}, {MatchUpField::FirstName, 2}, {MatchUpField::LastName, 3}});
    request.filters = {"IGNORE where 'Email Address' Ends with '.org'"};

    const auto summary = run(request);
    EXPECT_EQ(summary.counts, (ImportCounts{2, 0, 1, 1}));
    const auto stored = recipients();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].get(RecipientField::FirstName), "Zo\xC3\xAB");
    EXPECT_EQ(stored[1].emailAddress(), "aase@example.no");
    EXPECT_EQ(stored[1].get(RecipientField::FirstName), "\xC3\x85se");
    EXPECT_EQ(reportText(), delimitedHeader((dir / "tabs.txt").string(), "TAB", "Field 1, Field 2, Field 3") +
                                "** Illegal Email Address: Email\r\n"
                                "** Complete Record: Email\tFirst\tLast\r\n"
                                "\r\n"
                                "** Filtered Email Address: sam@example.org\r\n"
                                "** Complete Record: sam@example.org\tSam\tOrg\r\n"
                                "\r\n");
}

TEST_F(ImportEngineTest, HarvestsAMailFolder)
{
    std::string mailbox = "From ann.lee@example.com Mon Dec  7 10:00:00 2026\n"
                          "From: Ann Lee <ann.lee@example.com>\n"
                          "To: team@lists.example.org; x@y\n"
                          "\n"
                          "> Reply to ANN.LEE@example.com or ab@cd.e\n";
    // An address across the first block boundary is found whole.
    mailbox += std::string(AddressHarvester::kBlockSize - mailbox.size() - 5, ' ');
    mailbox += "straddle@example.com\n";
    ASSERT_TRUE(writeWholeFile(dir / "mbox", mailbox));
    auto request = delimited("mbox", Delimiter::Comma, 1);
    request.layout = ImportLayout::Harvest;

    const auto summary = run(request);
    EXPECT_EQ(summary.counts, (ImportCounts{3, 2, 0, 2}));
    EXPECT_EQ(addresses(),
              (std::vector<std::string>{"ann.lee@example.com", "team@lists.example.org", "straddle@example.com"}));
    EXPECT_EQ(reportText(), "# Importing :" + (dir / "mbox").string() +
                                "\r\n# To :Customers\r\n# Type: All other File/Data formats\r\n"
                                "# Importing Email Address Only\r\n\r\n# Date :" +
                                store::formatGeneralDate(clock.now()) +
                                "\r\n \r\n"
                                "** Duplicate Email Address: ann.lee@example.com\r\n"
                                "** Complete Record: ann.lee@example.com\r\n"
                                "\r\n"
                                "** Illegal Email Address: x@y\r\n"
                                "** Duplicate Email Address: ANN.LEE@example.com\r\n"
                                "** Complete Record: ANN.LEE@example.com\r\n"
                                "\r\n"
                                "** Illegal Email Address: ab@cd.e\r\n");
}

// Rows a0@example.test, a1@... with a first name each.
std::string numberedRows(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "a" + std::to_string(i) + "@example.test,First" + std::to_string(i) + "\r\n";
    }
    return text;
}

TEST_F(ImportEngineTest, StopsAtTheNextLineAndARerunAddsOnlyTheMissingOnes)
{
    ASSERT_TRUE(writeWholeFile(dir / "rows.csv", numberedRows(3000)));
    auto request =
        delimited("rows.csv", Delimiter::Comma, 2, {{MatchUpField::EmailAddress, 1}, {MatchUpField::FirstName, 2}});

    std::stop_source stop;
    importProgress.onValue = [&] {
        if (importProgress.labels.back() == "Reading Import file") {
            stop.request_stop();
        }
    };
    const auto stopped = run(request, stop.get_token());
    EXPECT_EQ(stopped.ending, ImportEnding::Stopped);
    EXPECT_EQ(stopped.counts, (ImportCounts{1024, 0, 0, 0}));
    EXPECT_EQ(recipients().size(), 1024u);

    importProgress.onValue = nullptr;
    const auto rerun = run(request);
    EXPECT_EQ(rerun.ending, ImportEnding::Completed);
    EXPECT_EQ(rerun.counts, (ImportCounts{3000 - 1024, 1024, 0, 0}));
    const auto stored = addresses();
    ASSERT_EQ(stored.size(), 3000u);
    for (int i = 0; i < 3000; ++i) {
        EXPECT_EQ(stored[static_cast<std::size_t>(i)], "a" + std::to_string(i) + "@example.test");
    }
}

TEST_F(ImportEngineTest, WithoutTheDuplicateCheckAddsEveryCopy)
{
    ASSERT_TRUE(writeWholeFile(dir / "rows.csv", numberedRows(2) + numberedRows(2)));
    auto request = delimited("rows.csv", Delimiter::Comma, 2, {{MatchUpField::EmailAddress, 1}});
    request.checkDuplicates = false;
    EXPECT_EQ(run(request).counts, (ImportCounts{4, 0, 0, 0}));
    request.checkDuplicates = true;
    EXPECT_EQ(run(request).counts, (ImportCounts{0, 4, 0, 0}));
}

TEST_F(ImportEngineTest, EndsWithTheMessagesOfItsStartUpChecks)
{
    // A group without a database file.
    auto request = delimited("rows.csv", Delimiter::Comma, 2);
    request.groupName = "Gone";
    request.groupPath = dir / "Gone.gdb";
    auto summary = run(request);
    EXPECT_EQ(summary.ending, ImportEnding::ErrorsEncountered);
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {"Unable to open the desitination Group: Gone", Icon::Critical, false}}));

    // An empty clipboard.
    prompter.clear();
    request = delimited("unused", Delimiter::Comma, 2);
    request.clipboard = "   ";
    summary = run(request);
    EXPECT_TRUE(summary.refused);
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {"No data was found on the clipboard!\r\nPlease copy the data you intend to import "
                                   "to the clip board and try again.",
                                   Icon::Critical, false}}));

    // A report that cannot be removed.
    prompter.clear();
    std::filesystem::remove(dir / std::string(kReportFileName));
    std::filesystem::create_directories(dir / std::string(kReportFileName) / "held");
    summary = run(request);
    EXPECT_TRUE(summary.refused);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Unable to reset the Illegal Import Data file. If you have "
                                                          "this file open please close it and then try again."}));
}

TEST_F(ImportEngineTest, TakesOnlyMailboxesAndKeepsThemWhole)
{
    const std::string longLocal = std::string(60, 'l') + "@" + std::string(60, 'd') + ".example.org";
    const std::string tooLong =
        std::string(64, 'l') + "@" + std::string(63, 'd') + "." + std::string(63, 'e') + "." + std::string(62, 'f');
    struct Case
    {
        std::string address;
        bool added;
    };
    const Case cases[] = {
        {"ann@example.org", true}, {longLocal, true},           {"x@y.org> NOTIFY=SUCCESS", false},
        {"x@y.org>", false},       {"ann@example..org", false}, {"an n@example.org", false},
        {tooLong, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        ASSERT_TRUE(writeWholeFile(dir / "one.csv", c.address + ",Name\r\n"));
        auto request = delimited("one.csv", Delimiter::Comma, 2, {{MatchUpField::EmailAddress, 1}});
        request.checkDuplicates = false;
        const auto before = addresses().size();
        const auto summary = run(request);
        EXPECT_EQ(summary.counts.illegal, c.added ? 0 : 1);
        const auto after = addresses();
        ASSERT_EQ(after.size(), before + (c.added ? 1 : 0));
        if (c.added) {
            EXPECT_EQ(after.back(), c.address);
        } else {
            EXPECT_NE(reportText().find("** Illegal Email Address: " + c.address + "\r\n"), std::string::npos);
        }
    }
}

TEST_F(ImportEngineTest, EndsWhenItsReportCannotBeWritten)
{
    // The report's name leads into a folder that is not there, so it cannot be opened.
    const auto report = dir / std::string(kReportFileName);
    std::filesystem::create_symlink(dir / "gone" / "report.txt", report);
    ASSERT_TRUE(writeWholeFile(dir / "rows.csv", numberedRows(3)));
    auto request = delimited("rows.csv", Delimiter::Comma, 2, {{MatchUpField::EmailAddress, 1}});

    const auto summary = run(request);
    EXPECT_EQ(summary.ending, ImportEnding::ErrorsEncountered);
    EXPECT_TRUE(addresses().empty());
    ASSERT_EQ(prompter.texts().size(), 1u);
    EXPECT_EQ(prompter.texts()[0].rfind("ImportReport Error: ", 0), 0u) << prompter.texts()[0];
    EXPECT_NE(prompter.texts()[0].find("Unable to write " + report.string()), std::string::npos);
}

// A group that refuses a record part-way ends the import with the database's own words. What
// was written before the refusal stays, and the Added count says exactly that much.
TEST_F(ImportEngineTest, EndsWhenTheGroupRefusesARecord)
{
    {
        auto db = store::SqliteDatabase::open(groups.groupPath("Customers"), store::SqliteDatabase::Mode::ReadWrite);
        ASSERT_TRUE(db);
        ASSERT_TRUE(db->exec("CREATE TRIGGER full BEFORE INSERT ON records WHEN (SELECT count(*) FROM records) >= 700 "
                             "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    }
    ASSERT_TRUE(writeWholeFile(dir / "rows.csv", numberedRows(3000)));

    const auto summary = run(delimited("rows.csv", Delimiter::Comma, 2, {{MatchUpField::EmailAddress, 1}}));
    EXPECT_EQ(summary.ending, ImportEnding::ErrorsEncountered);
    EXPECT_EQ(summary.counts, (ImportCounts{700, 0, 0, 0}));
    const auto stored = addresses();
    ASSERT_EQ(stored.size(), 700u);
    EXPECT_EQ(stored.back(), "a699@example.test");
    ASSERT_EQ(prompter.texts().size(), 1u);
    EXPECT_EQ(prompter.texts()[0].rfind("AddRecipient Error: ", 0), 0u) << prompter.texts()[0];
    EXPECT_NE(prompter.texts()[0].find("database or disk is full"), std::string::npos) << prompter.texts()[0];
}

TEST_F(ImportEngineTest, OffersTheReportOnlyAfterIllegalData)
{
    const auto report = dir / std::string(kReportFileName);
    int opened = 0;
    auto opener = [&opened](const std::filesystem::path&) { return ++opened > 1; };
    offerReport(ImportSummary{{5, 1, 1, 0}, ImportEnding::Completed, false}, report, prompter, opener);
    EXPECT_TRUE(prompter.log().empty());

    prompter.queue(Answer::Yes);
    prompter.queue(Answer::Yes);
    offerReport(ImportSummary{{5, 0, 0, 2}, ImportEnding::Completed, false}, report, prompter, opener);
    offerReport(ImportSummary{{5, 0, 0, 2}, ImportEnding::Completed, false}, report, prompter, opener);
    const std::string question = "Tidecast was unable to import some of Recipients contained in the import data.\r\n"
                                 "Would you like to review the ones that failed?";
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {question, Icon::Question, true},
                                  {"Unable to launch the default text editor for your system.\r\nTo view the details "
                                   "please open the following file:\r\n\r\n" +
                                       report.string(),
                                   Icon::Exclamation, false},
                                  {question, Icon::Question, true}}));
    EXPECT_EQ(opened, 2);
}

TEST_F(ImportEngineTest, EachRecordHoldsOnlyItsOwnRow)
{
    ASSERT_TRUE(writeWholeFile(dir / "rows.csv", "ann@example.com,Dr Ann Lee,London,Acme\r\n"
                                                 "bob@example.com,,Leeds\r\n"
                                                 "cy@example.com\r\n"
                                                 "dee@example.com,Dee\r\n"));
    auto request = delimited("rows.csv", Delimiter::Comma, 4,
                             {{MatchUpField::EmailAddress, 1},
                              {MatchUpField::FullNameMacro, 2},
                              {MatchUpField::City, 3},
                              {MatchUpField::Company, 4}});
    request.mapping.oneNameField = true;
    EXPECT_EQ(run(request).counts, (ImportCounts{3, 0, 0, 1}));

    const auto stored = recipients();
    ASSERT_EQ(stored.size(), 3u);
    const struct
    {
        std::string address, title, first, last, city, company;
    } expected[] = {
        {"ann@example.com", "Dr", "Ann", "Lee", "London", "Acme"},
        {"bob@example.com", "", "", "", "Leeds", ""},
        {"dee@example.com", "", "Dee", "", "", ""},
    };
    for (std::size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(expected[i].address);
        EXPECT_EQ(stored[i].emailAddress(), expected[i].address);
        EXPECT_EQ(stored[i].get(RecipientField::Title), expected[i].title);
        EXPECT_EQ(stored[i].get(RecipientField::FirstName), expected[i].first);
        EXPECT_EQ(stored[i].get(RecipientField::LastName), expected[i].last);
        EXPECT_EQ(stored[i].get(RecipientField::City), expected[i].city);
        EXPECT_EQ(stored[i].get(RecipientField::Company), expected[i].company);
        EXPECT_EQ(stored[i].dateAdded, "2026-03-14");
    }
}

// The statement that made the group's address index, or "" when it has none.
std::string addressIndexOf(const std::filesystem::path& path)
{
    auto db = store::SqliteDatabase::open(path, store::SqliteDatabase::Mode::ReadOnly);
    EXPECT_TRUE(db);
    auto statement = db->prepare("SELECT sql FROM sqlite_master WHERE type='index' AND name='records_address'");
    EXPECT_TRUE(statement);
    return statement->step() == store::SqliteStatement::Step::Row ? std::string(statement->columnText(0)) : "";
}

void dropAddressIndex(const std::filesystem::path& path)
{
    auto db = store::SqliteDatabase::open(path, store::SqliteDatabase::Mode::ReadWrite);
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->exec("DROP INDEX records_address"));
}

// However an import ends, the group keeps its address index, also when an earlier import was
// killed before it could rebuild it, and holds what was committed.
TEST_F(ImportEngineTest, LeavesTheGroupIndexedWhateverTheEnding)
{
    struct Case
    {
        const char* name;
        int alreadyHeld;
        bool indexLost;
        bool stopEarly;
        bool fileMissing;
        ImportEnding ending;
        std::size_t stored;
    };
    const Case cases[] = {
        {"empty group", 0, false, false, false, ImportEnding::Completed, 3000},
        {"empty group, stopped", 0, false, true, false, ImportEnding::Stopped, 1024},
        {"empty group, unreadable file", 0, false, false, true, ImportEnding::ErrorsEncountered, 0},
        {"group with recipients", 10, false, false, false, ImportEnding::Completed, 3010},
        {"killed before the rebuild", 10, true, false, false, ImportEnding::Completed, 3010},
        {"killed before the rebuild, stopped", 10, true, true, false, ImportEnding::Stopped, 1034},
    };
    const auto created = addressIndexOf(groups.groupPath("Customers"));
    ASSERT_NE(created, "");
    ASSERT_TRUE(writeWholeFile(dir / "rows.csv", numberedRows(3000)));
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto group = "Group " + std::to_string(++number);
        addGroup(group);
        fillGroup(group, c.alreadyHeld, 3000);
        const auto path = groups.groupPath(group);
        if (c.indexLost) {
            dropAddressIndex(path);
        }
        auto request = delimited(c.fileMissing ? "missing.csv" : "rows.csv", Delimiter::Comma, 2,
                                 {{MatchUpField::EmailAddress, 1}, {MatchUpField::FirstName, 2}});
        request.groupName = group;
        request.groupPath = path;
        std::stop_source stop;
        importProgress.onValue = [&] {
            if (c.stopEarly && importProgress.labels.back() == "Reading Import file") {
                stop.request_stop();
            }
        };
        EXPECT_EQ(run(request, stop.get_token()).ending, c.ending);
        EXPECT_EQ(addressIndexOf(path), created);
        EXPECT_EQ(addressesOf(group).size(), c.stored);
    }
}

} // namespace
} // namespace tidecast::transfer
