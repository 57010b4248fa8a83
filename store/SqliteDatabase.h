#pragma once

#include "common/Result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tidecast::store
{

class SqliteStatement;

// Owns one SQLite connection. Move-only; closes in its destructor.
class SqliteDatabase
{
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(SqliteDatabase&& other) noexcept;
    SqliteDatabase& operator=(SqliteDatabase&& other) noexcept;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    enum class Mode
    {
        ReadOnly,
        ReadWrite,
        Create,
    };

    [[nodiscard]] static Result<SqliteDatabase> open(const std::filesystem::path& path, Mode mode);

    bool isOpen() const { return m_db != nullptr; }
    void close();

    [[nodiscard]] Result<void> exec(std::string_view sql);
    [[nodiscard]] Result<SqliteStatement> prepare(std::string_view sql);
    std::int64_t lastInsertRowId() const;
    int changes() const;
    bool inTransaction() const;

    Error lastError(std::string_view what) const;
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// A prepared statement; bind by 1-based index, step, read columns by 0-based index.
class SqliteStatement
{
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, sqlite3_stmt* statement);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return m_statement != nullptr; }
    void reset();
    void bind(int index, std::string_view text);
    // Binds without a copy: the text must stay unchanged until the statement has run.
    void bindUnchanged(int index, std::string_view text);
    void bind(int index, std::int64_t value);
    void bindNull(int index);

    enum class Step
    {
        Row,
        Done,
        Failed,
    };
    Step step();
    // Runs to completion; for statements that return no rows.
    [[nodiscard]] Result<void> run();

    int columnCount() const;
    std::string_view columnText(int column) const;
    std::int64_t columnInt(int column) const;
    bool columnIsNull(int column) const;

    Error lastError(std::string_view what) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

// Rolls back in its destructor unless commit() ran.
class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    bool isActive() const { return m_active; }
    [[nodiscard]] Result<void> commit();

private:
    SqliteDatabase& m_db;
    bool m_active = false;
};

} // namespace tidecast::store
