#pragma once

#include "common/Result.h"
#include "store/SqliteDatabase.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::store
{

enum class FieldType
{
    Text = 0, // text with a maximum length in characters
    Date = 6, // a date, kept as YYYY-MM-DD
};

struct FieldDefinition
{
    std::string name;
    FieldType type = FieldType::Text;
    int size = 0;
};

enum class FindOperator
{
    Equals,     // "="
    HasLike,    // contains
    StartsLike, // starts with
    EndsLike,   // ends with
};

// Parses "=", "HasLike", "StartsLike", "EndsLike" (any case).
std::optional<FindOperator> parseFindOperator(std::string_view text);

// One single-table database file (group, exclusion list, search results) with a cursor over its
// records in file order. Each instance has at most one file open; several instances may be open
// on different files at once. Field names and Find comparisons ignore ASCII case.
//
// Field sets are buffered for the current record and written as one statement when the cursor
// leaves the record, when the file is closed or on flush(), so a record is never half-written.
// Not thread-safe: one instance belongs to one thread.
class RecipientStore
{
public:
    using ProgressCallback = std::function<void(int percent)>;

    RecipientStore() = default;
    ~RecipientStore();
    RecipientStore(const RecipientStore&) = delete;
    RecipientStore& operator=(const RecipientStore&) = delete;

    // True when the file exists and is one of our database files. Never fails.
    static bool isDatabase(const std::filesystem::path& path);

    [[nodiscard]] Result<void> open(const std::filesystem::path& path);
    // Writes any pending record, commits an open transaction and closes. Safe when nothing is open.
    [[nodiscard]] Result<void> close();
    bool isOpen() const { return m_db.isOpen(); }
    const std::filesystem::path& path() const { return m_path; }

    // Groups writes into one transaction; close() commits one left open.
    [[nodiscard]] Result<void> beginTransaction();
    [[nodiscard]] Result<void> commitTransaction();
    void rollbackTransaction();

    const std::vector<FieldDefinition>& fields() const { return m_fields; }
    int fieldIndex(std::string_view name) const; // -1 when there is no such field
    // Changes whenever a file's layout is loaded, and differs between stores: a key for caching
    // what was worked out from fields().
    std::uint64_t layoutId() const { return m_layoutId; }

    std::int64_t recordCount();

    [[nodiscard]] Result<void> moveFirst();
    [[nodiscard]] Result<void> moveLast();
    [[nodiscard]] Result<void> moveNext();
    [[nodiscard]] Result<void> movePrevious();
    bool atEnd() const { return m_atEnd; }
    bool atStart() const { return m_atStart; }
    bool hasCurrent() const { return m_hasCurrent && !m_atEnd && !m_atStart; }

    // The first match in file order becomes current; noMatch() tells whether one was found.
    [[nodiscard]] Result<void> find(std::string_view field, FindOperator op, std::string_view value);
    [[nodiscard]] Result<void> find(std::string_view field, std::string_view op, std::string_view value);
    [[nodiscard]] Result<void> findNext();
    bool noMatch() const { return m_noMatch; }

    // The value of a field in the current record; empty for an unknown field or no record.
    std::string field(std::string_view name) const;
    const std::string& field(int index) const;
    // Text is cut to the field's declared size.
    [[nodiscard]] Result<void> setField(std::string_view name, std::string_view value);
    void setField(int index, std::string_view value);

    // Appends a blank record and makes it current; it is written with its fields on the next
    // move, find, close or flush().
    [[nodiscard]] Result<void> addNew();
    // Removes the current record. The cursor stays on the gap: moveNext() reaches the record
    // after it, movePrevious() the one before.
    [[nodiscard]] Result<void> deleteRecord();
    bool isDeleted() const { return m_deleted; }
    [[nodiscard]] Result<void> flush();

    // Reads up to `limit` records in file order, from the first, handing `visit` the values of
    // the fields at `columns` (indexes into fields()). One sequential pass, much cheaper than a
    // cursor walk for filling a list; the cursor is left where it was. Returns how many were read.
    [[nodiscard]] Result<std::int64_t>
    readRecords(std::int64_t limit, const std::vector<int>& columns,
                const std::function<void(const std::vector<std::string_view>& values)>& visit);

    // 1-based position of the current record in file order.
    std::int64_t recordNumber();
    [[nodiscard]] Result<void> setRecordNumber(std::int64_t number);

    // Removes deleted space from a closed file, reporting 0 to 100.
    [[nodiscard]] static Result<void> compact(const std::filesystem::path& path, const ProgressCallback& progress = {});
    // Rewrites a closed file with its records ordered by the field (ascending, case-insensitive).
    [[nodiscard]] static Result<void> sort(const std::filesystem::path& path, std::string_view field,
                                           const ProgressCallback& progress = {});

    // The layout calls: collect field definitions, then create an empty file with them.
    void resetLayout() { m_layout.clear(); }
    void defineField(std::string_view name, FieldType type, int size);
    // Returns 0 on success, else an error number. An existing file of that name is replaced.
    int createFile(const std::filesystem::path& path);
    static bool deleteFile(const std::filesystem::path& path);

private:
    [[nodiscard]] Result<void> loadSchema();
    [[nodiscard]] Result<void> loadRow(SqliteStatement& statement, bool found, bool forward);
    [[nodiscard]] Result<void> runFind(bool next);
    // Makes the next record after (or before) rowid `from` current.
    [[nodiscard]] Result<void> seek(std::int64_t from, bool forward);
    void clearCurrent();
    Result<SqliteStatement*> cached(SqliteStatement& slot, const std::string& sql);
    std::string normaliseValue(int index, std::string_view value) const;

    SqliteDatabase m_db;
    std::filesystem::path m_path;
    std::vector<FieldDefinition> m_fields;
    std::vector<FieldDefinition> m_layout;
    std::string m_columnList; // quoted column names, comma-separated
    std::uint64_t m_layoutId = 0;

    std::vector<std::string> m_values;
    std::int64_t m_rowId = 0;
    bool m_hasCurrent = false;
    bool m_atEnd = true;
    bool m_atStart = true;
    bool m_deleted = false;
    bool m_pendingNew = false;
    bool m_dirty = false;
    bool m_noMatch = false;
    std::optional<std::int64_t> m_count;

    int m_findField = -1;
    FindOperator m_findOperator = FindOperator::Equals;
    std::string m_findPattern;
    std::string m_findSql;
    SqliteStatement m_findStatement;

    SqliteStatement m_nextStatement;
    SqliteStatement m_previousStatement;
    SqliteStatement m_insertStatement;
    SqliteStatement m_updateStatement;
    SqliteStatement m_deleteStatement;
};

// One transaction on an open recipient file, rolled back when it goes out of scope without
// commit(), so that an early return after a failed write leaves the file as it was. (Closing the
// file would commit it instead.)
class RecipientTransaction
{
public:
    explicit RecipientTransaction(RecipientStore& store)
        : m_store(store)
    {}
    ~RecipientTransaction()
    {
        if (m_open) {
            m_store.rollbackTransaction();
        }
    }
    RecipientTransaction(const RecipientTransaction&) = delete;
    RecipientTransaction& operator=(const RecipientTransaction&) = delete;

    [[nodiscard]] Result<void> begin()
    {
        auto begun = m_store.beginTransaction();
        m_open = static_cast<bool>(begun);
        return begun;
    }
    [[nodiscard]] Result<void> commit()
    {
        m_open = false;
        return m_store.commitTransaction();
    }

private:
    RecipientStore& m_store;
    bool m_open = false;
};

} // namespace tidecast::store
