#include "store/SqliteDatabase.h"

#include <sqlite3.h>

#include <utility>

namespace tidecast::store
{

SqliteDatabase::~SqliteDatabase()
{
    close();
}

SqliteDatabase::SqliteDatabase(SqliteDatabase&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
{}

SqliteDatabase& SqliteDatabase::operator=(SqliteDatabase&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

Result<SqliteDatabase> SqliteDatabase::open(const std::filesystem::path& path, Mode mode)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    SqliteDatabase db;
    const int rc = sqlite3_open_v2(path.c_str(), &db.m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        Error error{ErrorCode::Database, db.m_db != nullptr ? sqlite3_errmsg(db.m_db) : sqlite3_errstr(rc), rc};
        return error;
    }
    sqlite3_extended_result_codes(db.m_db, 1);
    sqlite3_busy_timeout(db.m_db, 2000);
    return db;
}

void SqliteDatabase::close()
{
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

Result<void> SqliteDatabase::exec(std::string_view sql)
{
    std::string text(sql);
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        Error error{ErrorCode::Database, message != nullptr ? message : sqlite3_errstr(rc), rc};
        sqlite3_free(message);
        return error;
    }
    return {};
}

Result<SqliteStatement> SqliteDatabase::prepare(std::string_view sql)
{
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (rc != SQLITE_OK) {
        return lastError("prepare");
    }
    return SqliteStatement(m_db, statement);
}

std::int64_t SqliteDatabase::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDatabase::changes() const
{
    return sqlite3_changes(m_db);
}

bool SqliteDatabase::inTransaction() const
{
    return m_db != nullptr && sqlite3_get_autocommit(m_db) == 0;
}

Error SqliteDatabase::lastError(std::string_view what) const
{
    std::string detail(what);
    if (m_db != nullptr) {
        detail += ": ";
        detail += sqlite3_errmsg(m_db);
        return {ErrorCode::Database, detail, sqlite3_extended_errcode(m_db)};
    }
    return {ErrorCode::Database, detail, 0};
}

SqliteStatement::SqliteStatement(sqlite3* db, sqlite3_stmt* statement)
    : m_db(db)
    , m_statement(statement)
{}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_statement(std::exchange(other.m_statement, nullptr))
{}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_db = std::exchange(other.m_db, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void SqliteStatement::bind(int index, std::string_view text)
{
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindUnchanged(int index, std::string_view text)
{
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void SqliteStatement::bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index);
}

SqliteStatement::Step SqliteStatement::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) {
        return Step::Row;
    }
    if (rc == SQLITE_DONE) {
        return Step::Done;
    }
    return Step::Failed;
}

Result<void> SqliteStatement::run()
{
    Step result = step();
    while (result == Step::Row) {
        result = step();
    }
    if (result == Step::Failed) {
        Error error = lastError("step");
        sqlite3_reset(m_statement);
        return error;
    }
    sqlite3_reset(m_statement);
    return {};
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

std::string_view SqliteStatement::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (text == nullptr) {
        return {};
    }
    return {text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column))};
}

std::int64_t SqliteStatement::columnInt(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

bool SqliteStatement::columnIsNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

Error SqliteStatement::lastError(std::string_view what) const
{
    std::string detail(what);
    detail += ": ";
    detail += sqlite3_errmsg(m_db);
    return {ErrorCode::Database, detail, sqlite3_extended_errcode(m_db)};
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db)
    : m_db(db)
{
    m_active = static_cast<bool>(m_db.exec("BEGIN IMMEDIATE"));
}

SqliteTransaction::~SqliteTransaction()
{
    if (m_active) {
        (void)m_db.exec("ROLLBACK");
    }
}

Result<void> SqliteTransaction::commit()
{
    if (!m_active) {
        return Error{ErrorCode::Database, "no transaction is active", 0};
    }
    m_active = false;
    return m_db.exec("COMMIT");
}

} // namespace tidecast::store
