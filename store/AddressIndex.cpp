#include "store/AddressIndex.h"

#include "store/SqliteDatabase.h"

namespace tidecast::store
{

namespace
{

constexpr std::string_view kIndexName = "records_address";
constexpr std::string_view kCreateIndex = "CREATE INDEX records_address ON records(EmailAddress COLLATE NOCASE)";

// The statement that made the address index, or nothing when there is none.
Result<std::optional<std::string>> indexStatement(SqliteDatabase& db)
{
    auto statement = db.prepare("SELECT sql FROM sqlite_master WHERE type='index' AND name=?1");
    if (!statement) {
        return statement.error();
    }
    statement->bind(1, kIndexName);
    switch (statement->step()) {
    case SqliteStatement::Step::Row:
        return std::optional<std::string>(std::string(statement->columnText(0)));
    case SqliteStatement::Step::Done:
        return std::optional<std::string>();
    case SqliteStatement::Step::Failed:
        break;
    }
    return statement->lastError("index");
}

// The first column of the query's one row, as a truth value.
Result<bool> queryFlag(SqliteDatabase& db, const char* query)
{
    auto statement = db.prepare(query);
    if (!statement) {
        return statement.error();
    }
    if (statement->step() != SqliteStatement::Step::Row) {
        return statement->lastError("index");
    }
    return statement->columnInt(0) != 0;
}

Result<bool> hasAddressField(SqliteDatabase& db)
{
    return queryFlag(db, "SELECT count(*) FROM pragma_table_info('records') WHERE name='EmailAddress' COLLATE NOCASE");
}

} // namespace

Result<std::optional<std::string>> dropAddressIndexWhileEmpty(const std::filesystem::path& path)
{
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite);
    if (!db) {
        return db.error();
    }
    SqliteTransaction transaction(*db);
    if (!transaction.isActive()) {
        return db->lastError("index");
    }
    const auto isEmpty = queryFlag(*db, "SELECT NOT EXISTS(SELECT 1 FROM records)");
    if (!isEmpty) {
        return isEmpty.error();
    }
    auto statement = indexStatement(*db);
    if (!statement) {
        return statement.error();
    }
    if (!*isEmpty || !*statement) {
        return std::optional<std::string>();
    }
    if (auto dropped = db->exec("DROP INDEX " + std::string(kIndexName)); !dropped) {
        return dropped.error();
    }
    if (auto committed = transaction.commit(); !committed) {
        return committed.error();
    }
    return statement;
}

Result<void> restoreAddressIndex(const std::filesystem::path& path, const std::string& statement)
{
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite);
    if (!db) {
        return db.error();
    }
    SqliteTransaction transaction(*db);
    if (!transaction.isActive()) {
        return db->lastError("index");
    }
    auto existing = indexStatement(*db);
    if (!existing) {
        return existing.error();
    }
    if (!*existing) {
        if (auto created = db->exec(statement); !created) {
            return created;
        }
    }
    return transaction.commit();
}

void repairAddressIndex(SqliteDatabase& db)
{
    auto existing = indexStatement(db);
    auto hasAddress = hasAddressField(db);
    if (existing && !*existing && hasAddress && *hasAddress) {
        (void)db.exec(kCreateIndex);
    }
}

} // namespace tidecast::store
