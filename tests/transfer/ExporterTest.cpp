#include "transfer/Exporter.h"

#include "common/Text.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"
#include "support/ScriptedPrompter.h"
#include "support/StoreTestSupport.h"
#include "support/TempDir.h"
#include "transfer/ExclusionList.h"
#include "transfer/ExportHistory.h"
#include "transfer/ExportTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace tidecast::transfer
{
namespace
{

using store::RecipientField;
using store::RecipientRecord;
using ::testing::ElementsAre;
using Rows = std::vector<std::vector<std::string>>;

RecipientRecord person(std::string address, std::string first, std::string last, std::string title = {})
{
    RecipientRecord record;
    record.set(RecipientField::EmailAddress, std::move(address));
    record.set(RecipientField::FirstName, std::move(first));
    record.set(RecipientField::LastName, std::move(last));
    record.set(RecipientField::Title, std::move(title));
    record.dateAdded = "2026-03-14";
    return record;
}

// Reads delimited text the way RFC 4180 says: quoted values may hold the delimiter, line breaks
// and doubled quotes. Lines end with CR LF.
Rows parseDelimited(std::string_view text, char delimiter)
{
    Rows rows;
    std::vector<std::string> row;
    std::string value;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                value += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                value += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == delimiter) {
            row.push_back(std::exchange(value, {}));
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::exchange(value, {}));
            rows.push_back(std::exchange(row, {}));
            ++i;
        } else {
            value += c;
        }
    }
    EXPECT_TRUE(value.empty() && row.empty()) << "the last line has no CR LF";
    return rows;
}

class ExporterTest : public ::testing::Test
{
protected:
    test::TempDir dir;
    ScriptedPrompter prompter;
    store::test::RecordingStatus status;
    store::test::RecordingProgress progress;
    Exporter exporter{prompter, progress, status};
    std::filesystem::path group = dir / "Walkers.gdb";
    std::filesystem::path output = dir / "out.txt";

    void writeGroup(const std::vector<RecipientRecord>& records)
    {
        store::RecipientStore file;
        store::defineRecipientLayout(file);
        ASSERT_EQ(file.createFile(group), 0);
        ASSERT_TRUE(file.open(group));
        for (const auto& record : records) {
            ASSERT_TRUE(file.addNew());
            store::writeRecipient(file, record);
        }
        ASSERT_TRUE(file.close());
    }

    ExportRequest request(std::vector<std::string> fields, ExportDelimiter delimiter = ExportDelimiter::Comma)
    {
        ExportRequest out;
        out.sourceFile = group;
        out.output = output;
        out.fields = std::move(fields);
        out.delimiter = delimiter;
        return out;
    }

    std::string written() const { return readWholeFile(output); }
};

TEST_F(ExporterTest, WritesTheHeaderAndOneQuotedLinePerRecipient)
{
    writeGroup({person("ann@example.test", "Ann, Jr.", "Lee", "Ms"), person("bob@example.test", "Bob", "", "")});
    struct Case
    {
        ExportDelimiter delimiter;
        std::vector<std::string> fields;
        std::string expected;
    };
    for (const auto& [delimiter, fields, expected] : std::vector<Case>{
             {ExportDelimiter::Comma,
              {"First Name", "Email Address"},
              "First Name, Email Address\r\n\"Ann, Jr.\",ann@example.test\r\nBob,bob@example.test\r\n"},
             {ExportDelimiter::Spaces,
              {"Full Name", "Email Address"},
              "\"Full Name\" \"Email Address\"\r\n\"Ms Ann, Jr. Lee\" ann@example.test\r\nBob bob@example.test\r\n"},
             {ExportDelimiter::Semicolon,
              {"Email Address", "Last Name", "Date Added"},
              "Email Address; Last Name; Date Added\r\nann@example.test;Lee;2026-03-14\r\n"
              "bob@example.test;;2026-03-14\r\n"},
             {ExportDelimiter::Tab,
              {"Salutation / Title", "First Name"},
              "Salutation / Title\tFirst Name\r\nMs\tAnn, Jr.\r\n\tBob\r\n"},
         }) {
        auto wanted = request(fields, delimiter);
        wanted.header = true;
        const auto outcome = exporter.run(wanted, false);
        EXPECT_EQ(outcome.status, ExportStatus::Completed);
        EXPECT_EQ(outcome.counts, (ExportCounts{2, 0}));
        EXPECT_EQ(written(), expected) << delimiterName(delimiter);
    }
    EXPECT_TRUE(prompter.log().empty());
    EXPECT_THAT(status.texts, ::testing::Contains(std::string(text::kBuildingHeader)));
}

TEST_F(ExporterTest, FiltersSortAndTheByteOrderMark)
{
    writeGroup({person("c@example.test", "C", "Young"), person("a@example.test", "A", "Adams"),
                person("b@example.test", "B", "Moss")});
    auto wanted = request({"Email Address"});
    wanted.filterRules = {"IGNORE where 'Email Address' Equals 'b@example.test'"};
    wanted.sortField = "Last Name";
    wanted.byteOrderMark = true;
    std::vector<ExportCounts> published;
    exporter.setCountsListener([&published](const ExportCounts& counts) { published.push_back(counts); });
    const auto outcome = exporter.run(wanted, false);
    EXPECT_EQ(outcome.status, ExportStatus::Completed);
    EXPECT_EQ(outcome.counts, (ExportCounts{2, 1}));
    EXPECT_EQ(published.back(), outcome.counts);
    EXPECT_EQ(written(), "\xEF\xBB\xBF"
                         "a@example.test\r\nc@example.test\r\n");
    // The group itself stays sorted by last name.
    store::RecipientStore file;
    ASSERT_TRUE(file.open(group));
    std::vector<std::string> order;
    ASSERT_TRUE(file.readRecords(10, {file.fieldIndex("LastName")},
                                 [&order](const auto& values) { order.emplace_back(values[0]); }));
    EXPECT_THAT(order, ElementsAre("Adams", "Moss", "Young"));
    ASSERT_TRUE(file.close());

    // Under double-byte safety the sort is not offered and the export keeps the file order.
    EXPECT_FALSE(sortAvailable(true, prompter));
    EXPECT_TRUE(sortAvailable(false, prompter));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(text::kSortUnavailable)});
}

TEST_F(ExporterTest, RefusalsStopAndWriteErrors)
{
    auto noOutput = request({"City"});
    noOutput.output.clear();
    EXPECT_FALSE(checkExportStart(noOutput, prompter));
    EXPECT_FALSE(checkExportStart(request({}), prompter));
    EXPECT_TRUE(checkExportStart(request({"City"}), prompter));
    EXPECT_EQ(exporter.run(request({"City"}), false).status, ExportStatus::Refused);
    writeGroup({});
    EXPECT_EQ(exporter.run(request({"City"}), false).status, ExportStatus::Refused);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{std::string(text::kSelectOutputFile), std::string(text::kSelectFields),
                                        std::string(text::kGroupMissing), std::string(text::kGroupEmpty)}));
    EXPECT_FALSE(std::filesystem::exists(output));

    writeGroup({person("a@example.test", "A", "")});
    std::stop_source stop;
    stop.request_stop();
    const auto stopped = exporter.run(request({"Email Address"}), false, stop.get_token());
    EXPECT_EQ(stopped.status, ExportStatus::Stopped);
    EXPECT_EQ(stopped.counts, ExportCounts{});
    EXPECT_EQ(finalStatusText(stopped.status), "Export Stopped");

    // A file that cannot be written: the tag, the number, " - " and the text, as the import says it.
    auto unwritable = request({"Email Address"});
    unwritable.output = dir / "missing" / "out.txt";
    EXPECT_EQ(exporter.run(unwritable, false).status, ExportStatus::Errors);
    EXPECT_EQ(prompter.texts().back(),
              "ExportList: 2 - Cannot write " + unwritable.output.string() + ": No such file or directory");
}

TEST_F(ExporterTest, TheExclusionListExportsAddressAndGroup)
{
    const auto file = ExclusionList::filePath(dir.path());
    ExclusionList list;
    ASSERT_TRUE(list.save(file, ExclusionBackup::None));
    ExportRequest wanted;
    wanted.source = ExportSource::ExclusionList;
    wanted.sourceFile = file;
    wanted.output = output;
    wanted.fields = {"Group Name", "Email Address"};
    EXPECT_EQ(exporter.run(wanted, false).status, ExportStatus::Refused);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(text::kExclusionEmpty)});

    ASSERT_TRUE(list.add("a@x.test", "All Groups"));
    ASSERT_TRUE(list.add("b@x.test", "Walkers"));
    ASSERT_TRUE(list.save(file, ExclusionBackup::None));
    wanted.filterRules = {"Export where 'Group Name' Equals 'Walkers'"};
    const auto outcome = exporter.run(wanted, false);
    EXPECT_EQ(outcome.counts, (ExportCounts{1, 1}));
    EXPECT_EQ(written(), "Walkers,b@x.test\r\n");
}

TEST_F(ExporterTest, RoundTripKeepsEveryFieldOfEveryRecipient)
{
    std::vector<RecipientRecord> records{
        person("quote@example.test", "Say \"hi\"", "O'Neil, Sr.", "Dr"),
        person("lines@example.test", "Two\r\nlines", "Semi;colon", ""),
        person("cyrillic@example.test", "Иван", "Петров", "Г-н"),
        person("cjk@example.test", "太郎", "山田", ""),
    };
    records[0].set(RecipientField::City, "Tab\there");
    records[1].set(RecipientField::Field4, "\"\"");
    records[3].set(RecipientField::Company, "Comma, Space and \"Quote\"");
    writeGroup(records);
    std::vector<std::string> labels;
    for (const auto& info : store::recipientFields()) {
        labels.emplace_back(info.label);
    }
    labels.emplace_back(store::kDateAddedLabel);
    for (const auto delimiter :
         {ExportDelimiter::Comma, ExportDelimiter::Tab, ExportDelimiter::Spaces, ExportDelimiter::Semicolon}) {
        auto wanted = request(labels, delimiter);
        wanted.header = delimiter == ExportDelimiter::Tab;
        ASSERT_EQ(exporter.run(wanted, false).status, ExportStatus::Completed);
        auto rows = parseDelimited(written(), delimiterCharacter(delimiter));
        if (wanted.header) {
            ASSERT_FALSE(rows.empty());
            EXPECT_EQ(rows.front(), labels);
            rows.erase(rows.begin());
        }
        ASSERT_EQ(rows.size(), records.size()) << delimiterName(delimiter);
        for (std::size_t i = 0; i < records.size(); ++i) {
            RecipientRecord back;
            for (std::size_t field = 0; field < store::kRecipientTextFields; ++field) {
                const auto label = store::recipientFields()[field].label;
                const auto column = std::find(labels.begin(), labels.end(), label) - labels.begin();
                back.fields[field] = rows[i][static_cast<std::size_t>(column)];
            }
            back.dateAdded = rows[i].back();
            EXPECT_EQ(back, records[i]) << delimiterName(delimiter) << " row " << i;
        }
    }
}

TEST_F(ExporterTest, HistoryRemembersTheLastPathPerSource)
{
    ExportHistory history(dir.path());
    EXPECT_EQ(*history.lastOutput("Walkers"), "");
    EXPECT_TRUE(store::RecipientStore::isDatabase(dir / "exfiles.sdb"));
    ASSERT_TRUE(history.rememberOutput("Walkers", "/tmp/first.txt"));
    ASSERT_TRUE(history.rememberOutput("Search Results", "/tmp/found.txt"));
    ASSERT_TRUE(history.rememberOutput("Walkers", "/tmp/second.txt"));
    EXPECT_EQ(*ExportHistory(dir.path()).lastOutput("Walkers"), "/tmp/second.txt");
    EXPECT_EQ(*history.lastOutput("Search Results"), "/tmp/found.txt");
    EXPECT_EQ(*history.lastOutput("Runners"), "");
}

TEST(ExportFieldsTest, FieldListsColumnsAndFullName)
{
    const auto& fields = exportFieldLabels(ExportSource::Recipients);
    ASSERT_EQ(fields.size(), 22U);
    EXPECT_EQ(fields[1], "Full Name");
    EXPECT_EQ(fields.back(), "Date Added");
    EXPECT_EQ(exportSortLabels(ExportSource::Recipients).size(), 21U);
    EXPECT_THAT(exportSortLabels(ExportSource::ExclusionList), ElementsAre("Email Address", "Group Name"));
    EXPECT_EQ(columnName("Email Address"), "EMailAddress");
    EXPECT_EQ(columnName("Zip / Post Code"), "Zip");
    EXPECT_EQ(columnName("Group Name"), "Group");
    EXPECT_EQ(columnName("Full Name"), std::nullopt);
    EXPECT_EQ(fullName(person("", "", "Lee", " Dr ")), "Dr   Lee");
    EXPECT_EQ(fullName(person("", "Ann", "", "")), "Ann");
}

} // namespace
} // namespace tidecast::transfer
