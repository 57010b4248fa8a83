#include "store/RecipientStore.h"

#include "common/Text.h"
#include "store/RecipientRecord.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tidecast::store
{
namespace
{

class RecipientStoreTest : public ::testing::Test
{
protected:
    std::filesystem::path createGroup(const std::string& name, const std::vector<std::array<std::string, 3>>& rows)
    {
        const auto path = m_dir / (name + ".gdb");
        RecipientStore store;
        defineRecipientLayout(store);
        EXPECT_EQ(store.createFile(path), 0);
        EXPECT_TRUE(store.open(path));
        for (const auto& row : rows) {
            EXPECT_TRUE(store.addNew());
            EXPECT_TRUE(store.setField("FirstName", row[0]));
            EXPECT_TRUE(store.setField("LastName", row[1]));
            EXPECT_TRUE(store.setField("EMailAddress", row[2]));
        }
        EXPECT_TRUE(store.close());
        return path;
    }

    static std::vector<std::string> walkAddresses(RecipientStore& store)
    {
        std::vector<std::string> out;
        EXPECT_TRUE(store.moveFirst());
        while (!store.atEnd()) {
            out.push_back(store.field("emailaddress"));
            EXPECT_TRUE(store.moveNext());
        }
        return out;
    }

    test::TempDir m_dir;
};

TEST_F(RecipientStoreTest, IsDatabaseNeverThrowsAndKnowsOurFiles)
{
    EXPECT_FALSE(RecipientStore::isDatabase(m_dir / "missing.gdb"));
    ASSERT_TRUE(writeWholeFile(m_dir / "text.gdb", std::string(4096, 'x')));
    EXPECT_FALSE(RecipientStore::isDatabase(m_dir / "text.gdb"));
    ASSERT_TRUE(writeWholeFile(m_dir / "tiny.gdb", ""));
    EXPECT_FALSE(RecipientStore::isDatabase(m_dir / "tiny.gdb"));
    {
        auto other = SqliteDatabase::open(m_dir / "other.gdb", SqliteDatabase::Mode::Create);
        ASSERT_TRUE(other);
        ASSERT_TRUE(other->exec("CREATE TABLE something(a TEXT)"));
    }
    EXPECT_FALSE(RecipientStore::isDatabase(m_dir / "other.gdb"));
    EXPECT_FALSE(RecipientStore::isDatabase(m_dir.path()));
    EXPECT_TRUE(RecipientStore::isDatabase(createGroup("Friends", {})));

    RecipientStore store;
    auto opened = store.open(m_dir / "text.gdb");
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().code, ErrorCode::NotADatabase);
    EXPECT_FALSE(store.isOpen());
}

TEST_F(RecipientStoreTest, AddressesKeepAllTheirCharactersAlsoInOldFiles)
{
    const std::string longAddress = std::string(64, 'a') + "@" + std::string(63, 'b') + "." + std::string(60, 'c');
    ASSERT_EQ(longAddress.size(), 189u);
    const auto fresh = createGroup("Fresh", {{"Ann", "A", longAddress}});
    // A file made when the address column was declared 75 characters wide.
    const auto old = m_dir / "Old.gdb";
    {
        RecipientStore store;
        store.defineField("FirstName", FieldType::Text, 50);
        store.defineField("EmailAddress", FieldType::Text, 75);
        store.defineField("City", FieldType::Text, 10);
        ASSERT_EQ(store.createFile(old), 0);
        ASSERT_TRUE(store.open(old));
        ASSERT_TRUE(store.addNew());
        EXPECT_TRUE(store.setField("EmailAddress", longAddress));
        EXPECT_TRUE(store.setField("City", "Much longer than ten"));
        ASSERT_TRUE(store.close());
    }
    for (const auto& path : {fresh, old}) {
        RecipientStore store;
        ASSERT_TRUE(store.open(path));
        if (path == old) {
            // Other text columns are still cut to their declared width.
            ASSERT_TRUE(store.moveFirst());
            EXPECT_EQ(store.field("City"), "Much longe");
        }
        EXPECT_EQ(walkAddresses(store), std::vector<std::string>{longAddress}) << path;
        ASSERT_TRUE(store.close());
    }
}

TEST_F(RecipientStoreTest, CursorWalksInFileOrderAndReportsBothEnds)
{
    const auto path =
        createGroup("Walk", {{"Ann", "A", "ann@x.test"}, {"Bob", "B", "bob@x.test"}, {"Cy", "C", "cy@x.test"}});
    RecipientStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.recordCount(), 3);
    EXPECT_EQ(walkAddresses(store), (std::vector<std::string>{"ann@x.test", "bob@x.test", "cy@x.test"}));
    EXPECT_TRUE(store.atEnd());
    ASSERT_TRUE(store.movePrevious());
    EXPECT_EQ(store.field("FirstName"), "Cy");
    EXPECT_EQ(store.recordNumber(), 3);
    ASSERT_TRUE(store.movePrevious());
    ASSERT_TRUE(store.movePrevious());
    EXPECT_EQ(store.field("FirstName"), "Ann");
    ASSERT_TRUE(store.movePrevious());
    EXPECT_TRUE(store.atStart());
    EXPECT_FALSE(store.hasCurrent());

    ASSERT_TRUE(store.setRecordNumber(2));
    EXPECT_EQ(store.field("firstname"), "Bob");
    EXPECT_FALSE(store.setRecordNumber(4));

    // An empty file is at both ends at once.
    RecipientStore empty;
    ASSERT_TRUE(empty.open(createGroup("Empty", {})));
    ASSERT_TRUE(empty.moveFirst());
    EXPECT_TRUE(empty.atEnd());
    EXPECT_TRUE(empty.atStart());
    EXPECT_EQ(empty.recordCount(), 0);
}

TEST_F(RecipientStoreTest, FindOperatorsIgnoreCaseOfFieldNamesAndValues)
{
    const auto path = createGroup("Find", {{"Ann", "Smith", "Ann@Example.test"},
                                           {"Bob", "Smithers", "bob@x.test"},
                                           {"Cy", "Blacksmith", "cy@example.TEST"},
                                           {"Di", "100%", "di@x.test"}});
    RecipientStore store;
    ASSERT_TRUE(store.open(path));

    struct Case
    {
        const char* field;
        const char* op;
        const char* value;
        std::vector<std::string> matches;
    };
    const std::vector<Case> cases = {
        {"EMailAddress", "=", "ann@example.TEST", {"Ann"}},
        {"emailaddress", "=", "nobody@x.test", {}},
        {"LastName", "HasLike", "SMITH", {"Ann", "Bob", "Cy"}},
        {"LASTNAME", "StartsLike", "smith", {"Ann", "Bob"}},
        {"LastName", "EndsLike", "smith", {"Ann", "Cy"}},
        {"LastName", "EndsLike", "0%", {"Di"}}, // wild-card characters in a value match themselves
        {"LastName", "HasLike", "_", {}},
        {"EmailAddress", "endslike", "example.test", {"Ann", "Cy"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> found;
        ASSERT_TRUE(store.find(c.field, c.op, c.value));
        while (!store.noMatch()) {
            found.push_back(store.field("FirstName"));
            ASSERT_TRUE(store.findNext());
        }
        EXPECT_EQ(found, c.matches) << c.field << " " << c.op << " " << c.value;
    }
    EXPECT_EQ(store.find("NoSuchField", "=", "x").error().code, ErrorCode::InvalidArgument);
    EXPECT_EQ(store.find("LastName", "Resembles", "x").error().code, ErrorCode::InvalidArgument);
}

TEST_F(RecipientStoreTest, FieldsAreCutToTheirSizeAndWrittenWholeOnLeavingTheRecord)
{
    const auto path = createGroup("Cut", {});
    RecipientStore store;
    ASSERT_TRUE(store.open(path));
    ASSERT_TRUE(store.addNew());
    ASSERT_TRUE(store.setField("Title", "Professor Doctor"));
    ASSERT_TRUE(store.setField("Zip", std::string(40, '9')));
    ASSERT_TRUE(store.setField("FirstName", std::string(29, 'a') + "\xc3\xa9\xc3\xa9"));
    ASSERT_TRUE(store.setField("DateAdded", "2026-12-06"));
    EXPECT_EQ(store.field("Title"), "Professor ");
    EXPECT_FALSE(store.setField("Nope", "x"));
    ASSERT_TRUE(store.close());

    ASSERT_TRUE(store.open(path));
    ASSERT_TRUE(store.moveFirst());
    EXPECT_EQ(store.field("TITLE"), "Professor ");
    EXPECT_EQ(store.field("Zip"), std::string(15, '9'));
    EXPECT_EQ(store.field("FirstName"), std::string(29, 'a') + "\xc3\xa9"); // cut by characters, not bytes
    EXPECT_EQ(store.field("DateAdded"), "2026-12-06");

    // Modify the record in place; it stays one record.
    ASSERT_TRUE(store.setField("City", "Leeds"));
    ASSERT_TRUE(store.moveNext());
    EXPECT_EQ(store.recordCount(), 1);
    ASSERT_TRUE(store.moveFirst());
    EXPECT_EQ(store.field("City"), "Leeds");
}

TEST_F(RecipientStoreTest, DeletingDuringAWalkKeepsTheWalkWellDefined)
{
    std::vector<std::array<std::string, 3>> rows;
    for (int i = 0; i < 10; ++i) {
        rows.push_back({"n" + std::to_string(i), "", "r" + std::to_string(i) + "@x.test"});
    }
    const auto path = createGroup("Walk", rows);
    RecipientStore store;
    ASSERT_TRUE(store.open(path));
    ASSERT_TRUE(store.moveFirst());
    std::vector<std::string> seen;
    int index = 0;
    while (!store.atEnd()) {
        seen.push_back(store.field("FirstName"));
        if (index % 2 == 0) {
            ASSERT_TRUE(store.deleteRecord());
            EXPECT_TRUE(store.isDeleted());
        }
        ++index;
        ASSERT_TRUE(store.moveNext());
    }
    EXPECT_EQ(seen.size(), 10u); // every record visited once, none skipped
    EXPECT_EQ(store.recordCount(), 5);
    EXPECT_EQ(walkAddresses(store),
              (std::vector<std::string>{"r1@x.test", "r3@x.test", "r5@x.test", "r7@x.test", "r9@x.test"}));

    // Deleting the record found by an address, then the next match still works.
    ASSERT_TRUE(store.find("EmailAddress", "EndsLike", "@x.test"));
    ASSERT_TRUE(store.deleteRecord());
    ASSERT_TRUE(store.findNext());
    EXPECT_EQ(store.field("EmailAddress"), "r3@x.test");
    ASSERT_TRUE(store.close());

    std::vector<int> progress;
    ASSERT_TRUE(RecipientStore::compact(path, [&](int percent) { progress.push_back(percent); }));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    for (int p : progress) {
        EXPECT_GE(p, 0);
        EXPECT_LE(p, 100);
    }
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(store.recordCount(), 4);
}

TEST_F(RecipientStoreTest, TransactionLeftWithoutCommitIsRolledBackEvenThoughCloseWouldCommit)
{
    const auto path = createGroup("g", {{"A", "One", "a@example.test"}, {"B", "Two", "b@example.test"}});
    RecipientStore store;
    ASSERT_TRUE(store.open(path));
    {
        RecipientTransaction transaction(store);
        ASSERT_TRUE(transaction.begin());
        ASSERT_TRUE(store.find("EMailAddress", FindOperator::Equals, "a@example.test"));
        ASSERT_TRUE(store.deleteRecord());
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.setField("EMailAddress", "c@example.test"));
    } // an early return after a failed write
    {
        RecipientTransaction transaction(store);
        ASSERT_TRUE(transaction.begin());
        ASSERT_TRUE(store.addNew());
        ASSERT_TRUE(store.setField("EMailAddress", "d@example.test"));
        ASSERT_TRUE(transaction.commit());
    }
    ASSERT_TRUE(store.close());
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(walkAddresses(store), (std::vector<std::string>{"a@example.test", "b@example.test", "d@example.test"}));
}

TEST_F(RecipientStoreTest, SortReordersByFieldAndKeepsEveryRecord)
{
    const auto path = createGroup("Sort", {{"cy", "", "c@x.test"}, {"Ann", "", "a@x.test"}, {"bob", "", "b@x.test"}});
    std::vector<int> progress;
    ASSERT_TRUE(RecipientStore::sort(path, "firstname", [&](int p) { progress.push_back(p); }));
    EXPECT_EQ(progress.back(), 100);
    RecipientStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(walkAddresses(store), (std::vector<std::string>{"a@x.test", "b@x.test", "c@x.test"}));
    // The address index survives the rewrite.
    ASSERT_TRUE(store.find("EmailAddress", "=", "B@X.TEST"));
    EXPECT_FALSE(store.noMatch());
    ASSERT_TRUE(store.close());
    EXPECT_FALSE(RecipientStore::sort(path, "NoField"));
}

TEST_F(RecipientStoreTest, SeveralInstancesOnDifferentFilesAndDeleteFile)
{
    const auto a = createGroup("A", {{"x", "", "x@a.test"}});
    const auto b = createGroup("B", {{"y", "", "y@b.test"}, {"z", "", "z@b.test"}});
    RecipientStore first;
    RecipientStore second;
    ASSERT_TRUE(first.open(a));
    ASSERT_TRUE(second.open(b));
    ASSERT_TRUE(first.moveFirst());
    ASSERT_TRUE(second.moveFirst());
    ASSERT_TRUE(first.addNew());
    ASSERT_TRUE(first.setField("EmailAddress", second.field("EmailAddress")));
    EXPECT_EQ(first.recordCount(), 2);
    EXPECT_EQ(second.recordCount(), 2);
    ASSERT_TRUE(first.close());
    ASSERT_TRUE(second.close());
    EXPECT_TRUE(RecipientStore::deleteFile(a));
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_FALSE(RecipientStore::deleteFile(a));
}

TEST_F(RecipientStoreTest, AKilledProcessLeavesNoHalfWrittenRecordOrBatch)
{
    const auto path = createGroup("Crash", {{"kept", "", "kept@x.test"}});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecipientStore store;
        if (!store.open(path)) {
            _exit(2);
        }
        // One committed record...
        (void)store.addNew();
        store.setField(3, "committed@x.test");
        (void)store.flush();
        // ...then a batch that never commits, and a record with only some fields set.
        (void)store.beginTransaction();
        for (int i = 0; i < 100; ++i) {
            (void)store.addNew();
            store.setField(3, "batch" + std::to_string(i) + "@x.test");
        }
        (void)store.flush();
        _exit(0); // no close: the process dies with the transaction open
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    ASSERT_TRUE(RecipientStore::isDatabase(path));
    RecipientStore store;
    ASSERT_TRUE(store.open(path));
    EXPECT_EQ(walkAddresses(store), (std::vector<std::string>{"kept@x.test", "committed@x.test"}));
}

} // namespace
} // namespace tidecast::store
