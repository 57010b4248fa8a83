#include "store/RecipientStore.h"

#include "common/MailAddress.h"
#include "common/Text.h"
#include "store/AddressIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <limits>
#include <system_error>

namespace tidecast::store
{

namespace
{

constexpr int kSchemaVersion = 1;

std::string quoteName(std::string_view name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

// LIKE patterns treat % and _ as wild cards; a value containing them must match them literally.
std::string escapeLike(std::string_view value)
{
    std::string out;
    for (char c : value) {
        if (c == '%' || c == '_' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// The part of a value a field keeps: text is cut to the field's size in characters.
std::string_view fittedValue(const FieldDefinition& field, std::string_view value)
{
    if (field.type != FieldType::Text || field.size <= 0) {
        return value;
    }
    std::size_t chars = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80 && chars++ == static_cast<std::size_t>(field.size)) {
            return value.substr(0, i);
        }
    }
    return value;
}

Error notOpen()
{
    return {ErrorCode::Database, "No database file is open", 0};
}

void removeSideFiles(const std::filesystem::path& path)
{
    std::error_code ec;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        auto side = path;
        side += suffix;
        std::filesystem::remove(side, ec);
    }
}

} // namespace

std::optional<FindOperator> parseFindOperator(std::string_view text)
{
    if (text == "=") {
        return FindOperator::Equals;
    }
    if (equalsIgnoreCase(text, "HasLike")) {
        return FindOperator::HasLike;
    }
    if (equalsIgnoreCase(text, "StartsLike")) {
        return FindOperator::StartsLike;
    }
    if (equalsIgnoreCase(text, "EndsLike")) {
        return FindOperator::EndsLike;
    }
    return std::nullopt;
}

RecipientStore::~RecipientStore()
{
    (void)close();
}

bool RecipientStore::isDatabase(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::file_size(path, ec) < 100 || ec) {
        return false;
    }
    {
        std::ifstream in(path, std::ios::binary);
        char header[16] = {};
        if (!in.read(header, sizeof header) || std::memcmp(header, "SQLite format 3", 16) != 0) {
            return false;
        }
    }
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite);
    if (!db) {
        db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadOnly);
        if (!db) {
            return false;
        }
    }
    auto statement = db->prepare("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='records'");
    if (!statement || statement->step() != SqliteStatement::Step::Row) {
        return false;
    }
    return statement->columnInt(0) == 1;
}

Result<void> RecipientStore::open(const std::filesystem::path& path)
{
    if (auto closed = close(); !closed) {
        return closed;
    }
    if (!isDatabase(path)) {
        return Error{ErrorCode::NotADatabase, path.string() + " is not a database file", 0};
    }
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite);
    if (!db) {
        return db.error();
    }
    m_db = std::move(db.value());
    m_path = path;
    // NORMAL keeps every committed write through a process crash; only a power loss can cost
    // the last transactions, never the file's consistency.
    (void)m_db.exec("PRAGMA synchronous=NORMAL");
    if (auto schema = loadSchema(); !schema) {
        m_db.close();
        return schema;
    }
    repairAddressIndex(m_db);
    clearCurrent();
    m_count.reset();
    return {};
}

Result<void> RecipientStore::loadSchema()
{
    auto info = m_db.prepare("PRAGMA table_info(records)");
    if (!info) {
        return info.error();
    }
    static std::atomic<std::uint64_t> layouts{0};
    m_layoutId = ++layouts;
    m_fields.clear();
    m_columnList.clear();
    while (info->step() == SqliteStatement::Step::Row) {
        FieldDefinition field;
        field.name = std::string(info->columnText(1));
        const auto type = toUpperAscii(info->columnText(2));
        if (type.rfind("DATE", 0) == 0) {
            field.type = FieldType::Date;
        } else {
            field.type = FieldType::Text;
            const auto open = type.find('(');
            if (open != std::string::npos) {
                field.size = std::atoi(type.c_str() + open + 1);
            }
            // Files made when addresses were cut at 75 characters take whole addresses now.
            if (field.size > 0 && equalsIgnoreCase(field.name, "EmailAddress")) {
                field.size = std::max(field.size, static_cast<int>(kMaxAddressLength));
            }
        }
        if (!m_columnList.empty()) {
            m_columnList += ',';
        }
        m_columnList += quoteName(field.name);
        m_fields.push_back(std::move(field));
    }
    if (m_fields.empty()) {
        return Error{ErrorCode::NotADatabase, "The file holds no record table", 0};
    }
    m_nextStatement = {};
    m_previousStatement = {};
    m_insertStatement = {};
    m_updateStatement = {};
    m_deleteStatement = {};
    m_findStatement = {};
    m_findSql.clear();
    m_findField = -1;
    return {};
}

Result<void> RecipientStore::close()
{
    if (!m_db.isOpen()) {
        return {};
    }
    Result<void> result = flush();
    if (result && m_db.inTransaction()) {
        result = m_db.exec("COMMIT");
    }
    m_nextStatement = {};
    m_previousStatement = {};
    m_insertStatement = {};
    m_updateStatement = {};
    m_deleteStatement = {};
    m_findStatement = {};
    m_db.close();
    m_fields.clear();
    m_path.clear();
    clearCurrent();
    m_count.reset();
    return result;
}

Result<void> RecipientStore::beginTransaction()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (m_db.inTransaction()) {
        return {};
    }
    return m_db.exec("BEGIN IMMEDIATE");
}

Result<void> RecipientStore::commitTransaction()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (auto flushed = flush(); !flushed) {
        return flushed;
    }
    if (!m_db.inTransaction()) {
        return {};
    }
    return m_db.exec("COMMIT");
}

void RecipientStore::rollbackTransaction()
{
    if (m_db.isOpen() && m_db.inTransaction()) {
        (void)m_db.exec("ROLLBACK");
        m_pendingNew = false;
        m_dirty = false;
        m_count.reset();
        clearCurrent();
    }
}

int RecipientStore::fieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (equalsIgnoreCase(m_fields[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::int64_t RecipientStore::recordCount()
{
    if (!m_db.isOpen()) {
        return 0;
    }
    (void)flush();
    if (!m_count) {
        auto statement = m_db.prepare("SELECT count(*) FROM records");
        if (!statement || statement->step() != SqliteStatement::Step::Row) {
            return 0;
        }
        m_count = statement->columnInt(0);
    }
    return *m_count;
}

void RecipientStore::clearCurrent()
{
    m_values.assign(m_fields.size(), std::string());
    m_rowId = 0;
    m_hasCurrent = false;
    m_atEnd = true;
    m_atStart = true;
    m_deleted = false;
    m_pendingNew = false;
    m_dirty = false;
}

Result<SqliteStatement*> RecipientStore::cached(SqliteStatement& slot, const std::string& sql)
{
    if (!slot.isValid()) {
        auto prepared = m_db.prepare(sql);
        if (!prepared) {
            return prepared.error();
        }
        slot = std::move(prepared.value());
    }
    slot.reset();
    return &slot;
}

Result<void> RecipientStore::loadRow(SqliteStatement& statement, bool found, bool forward)
{
    if (!found) {
        m_values.assign(m_fields.size(), std::string());
        m_hasCurrent = false;
        m_deleted = false;
        m_atEnd = forward;
        m_atStart = !forward;
        return {};
    }
    m_rowId = statement.columnInt(0);
    m_values.resize(m_fields.size());
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_values[i] = std::string(statement.columnText(static_cast<int>(i) + 1));
    }
    m_hasCurrent = true;
    m_deleted = false;
    m_atEnd = false;
    m_atStart = false;
    return {};
}

namespace
{

Result<bool> stepOnce(SqliteStatement& statement)
{
    switch (statement.step()) {
    case SqliteStatement::Step::Row:
        return true;
    case SqliteStatement::Step::Done:
        return false;
    case SqliteStatement::Step::Failed:
        break;
    }
    return statement.lastError("read");
}

} // namespace

Result<void> RecipientStore::seek(std::int64_t from, bool forward)
{
    if (auto flushed = flush(); !flushed) {
        return flushed;
    }
    auto statement =
        forward ? cached(m_nextStatement,
                         "SELECT rowid," + m_columnList + " FROM records WHERE rowid>?1 ORDER BY rowid LIMIT 1")
                : cached(m_previousStatement,
                         "SELECT rowid," + m_columnList + " FROM records WHERE rowid<?1 ORDER BY rowid DESC LIMIT 1");
    if (!statement) {
        return statement.error();
    }
    (*statement)->bind(1, from);
    auto found = stepOnce(**statement);
    if (!found) {
        return found.error();
    }
    return loadRow(**statement, *found, forward);
}

Result<void> RecipientStore::moveFirst()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    auto result = seek(std::numeric_limits<std::int64_t>::min(), true);
    if (result && !m_hasCurrent) {
        m_atStart = true; // an empty file is at both ends
    }
    return result;
}

Result<void> RecipientStore::moveLast()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    auto result = seek(std::numeric_limits<std::int64_t>::max(), false);
    if (result && !m_hasCurrent) {
        m_atEnd = true;
    }
    return result;
}

Result<void> RecipientStore::moveNext()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (m_atEnd && !m_hasCurrent) {
        return {};
    }
    if (m_atStart && !m_hasCurrent) {
        return moveFirst();
    }
    return seek(m_rowId, true);
}

Result<void> RecipientStore::movePrevious()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (m_atStart && !m_hasCurrent) {
        return {};
    }
    if (m_atEnd && !m_hasCurrent) {
        return moveLast();
    }
    return seek(m_rowId, false);
}

Result<void> RecipientStore::find(std::string_view field, std::string_view op, std::string_view value)
{
    auto parsed = parseFindOperator(op);
    if (!parsed) {
        return Error{ErrorCode::InvalidArgument, "Unknown comparison: " + std::string(op), 0};
    }
    return find(field, *parsed, value);
}

Result<void> RecipientStore::find(std::string_view field, FindOperator op, std::string_view value)
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    const int index = fieldIndex(field);
    if (index < 0) {
        return Error{ErrorCode::InvalidArgument, "Field not found: " + std::string(field), 0};
    }
    if (auto flushed = flush(); !flushed) {
        return flushed;
    }
    m_findField = index;
    m_findOperator = op;
    switch (op) {
    case FindOperator::Equals:
        m_findPattern = std::string(value);
        break;
    case FindOperator::HasLike:
        m_findPattern = "%" + escapeLike(value) + "%";
        break;
    case FindOperator::StartsLike:
        m_findPattern = escapeLike(value) + "%";
        break;
    case FindOperator::EndsLike:
        m_findPattern = "%" + escapeLike(value);
        break;
    }
    const std::string condition = op == FindOperator::Equals ? " = ?1" : " LIKE ?1 ESCAPE '\\'";
    std::string sql = "SELECT rowid," + m_columnList + " FROM records WHERE " + quoteName(m_fields[index].name) +
                      condition + " AND rowid>?2 ORDER BY rowid LIMIT 1";
    if (sql != m_findSql) {
        m_findStatement = {};
        m_findSql = std::move(sql);
    }
    return runFind(false);
}

Result<void> RecipientStore::findNext()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (m_findField < 0) {
        return Error{ErrorCode::InvalidArgument, "FindNext without a Find", 0};
    }
    if (auto flushed = flush(); !flushed) {
        return flushed;
    }
    return runFind(true);
}

Result<void> RecipientStore::runFind(bool next)
{
    auto statement = cached(m_findStatement, m_findSql);
    if (!statement) {
        return statement.error();
    }
    (*statement)->bind(1, m_findPattern);
    (*statement)->bind(2, next ? m_rowId : std::numeric_limits<std::int64_t>::min());
    auto found = stepOnce(**statement);
    if (!found) {
        return found.error();
    }
    m_noMatch = !*found;
    if (*found) {
        return loadRow(**statement, true, true);
    }
    return {};
}

std::string RecipientStore::field(std::string_view name) const
{
    const int index = fieldIndex(name);
    return index < 0 ? std::string() : field(index);
}

const std::string& RecipientStore::field(int index) const
{
    static const std::string empty;
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size()) {
        return empty;
    }
    return m_values[static_cast<std::size_t>(index)];
}

std::string RecipientStore::normaliseValue(int index, std::string_view value) const
{
    return std::string(fittedValue(m_fields[static_cast<std::size_t>(index)], value));
}

Result<void> RecipientStore::setField(std::string_view name, std::string_view value)
{
    const int index = fieldIndex(name);
    if (index < 0) {
        return Error{ErrorCode::InvalidArgument, "Field not found: " + std::string(name), 0};
    }
    if (!m_hasCurrent || m_deleted) {
        return Error{ErrorCode::Database, "No current record", 0};
    }
    setField(index, value);
    return {};
}

void RecipientStore::setField(int index, std::string_view value)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size() || !m_hasCurrent || m_deleted) {
        return;
    }
    // Assigned in place: an import sets millions of fields and keeps each one's storage.
    m_values[static_cast<std::size_t>(index)].assign(fittedValue(m_fields[static_cast<std::size_t>(index)], value));
    m_dirty = true;
}

Result<void> RecipientStore::addNew()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (auto flushed = flush(); !flushed) {
        return flushed;
    }
    m_values.resize(m_fields.size());
    for (auto& value : m_values) {
        value.clear();
    }
    m_pendingNew = true;
    m_dirty = true;
    m_hasCurrent = true;
    m_deleted = false;
    m_atEnd = false;
    m_atStart = false;
    return {};
}

Result<void> RecipientStore::flush()
{
    if (!m_db.isOpen() || !m_dirty) {
        return {};
    }
    if (m_pendingNew) {
        // Imports add records by the million: the statement text is only built once.
        std::string sql;
        if (!m_insertStatement.isValid()) {
            sql = "INSERT INTO records(" + m_columnList + ") VALUES(?";
            for (std::size_t i = 1; i < m_fields.size(); ++i) {
                sql += ",?";
            }
            sql += ")";
        }
        auto statement = cached(m_insertStatement, sql);
        if (!statement) {
            return statement.error();
        }
        // The values stay as they are until the statement has run.
        for (std::size_t i = 0; i < m_values.size(); ++i) {
            (*statement)->bindUnchanged(static_cast<int>(i) + 1, m_values[i]);
        }
        if (auto ran = (*statement)->run(); !ran) {
            return ran;
        }
        m_rowId = m_db.lastInsertRowId();
        m_pendingNew = false;
        m_dirty = false;
        if (m_count) {
            ++*m_count;
        }
        return {};
    }
    if (!m_hasCurrent || m_deleted) {
        m_dirty = false;
        return {};
    }
    std::string assignments;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        assignments += (i == 0 ? "" : ",") + quoteName(m_fields[i].name) + "=?" + std::to_string(i + 1);
    }
    const auto rowParameter = std::to_string(m_fields.size() + 1);
    auto statement = cached(m_updateStatement, "UPDATE records SET " + assignments + " WHERE rowid=?" + rowParameter);
    if (!statement) {
        return statement.error();
    }
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        (*statement)->bind(static_cast<int>(i) + 1, m_values[i]);
    }
    (*statement)->bind(static_cast<int>(m_fields.size()) + 1, m_rowId);
    if (auto ran = (*statement)->run(); !ran) {
        return ran;
    }
    m_dirty = false;
    return {};
}

Result<void> RecipientStore::deleteRecord()
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (!m_hasCurrent || m_deleted) {
        return Error{ErrorCode::Database, "No current record", 0};
    }
    if (m_pendingNew) {
        // Never written: dropping it is the whole deletion. The gap sits after the last record.
        m_pendingNew = false;
        m_dirty = false;
        m_deleted = true;
        m_rowId = std::numeric_limits<std::int64_t>::max();
        return {};
    }
    m_dirty = false;
    auto statement = cached(m_deleteStatement, "DELETE FROM records WHERE rowid=?1");
    if (!statement) {
        return statement.error();
    }
    (*statement)->bind(1, m_rowId);
    if (auto ran = (*statement)->run(); !ran) {
        return ran;
    }
    m_deleted = true;
    if (m_count && *m_count > 0) {
        --*m_count;
    }
    return {};
}

Result<std::int64_t> RecipientStore::readRecords(std::int64_t limit, const std::vector<int>& columns,
                                                 const std::function<void(const std::vector<std::string_view>&)>& visit)
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (auto flushed = flush(); !flushed) {
        return flushed.error();
    }
    std::string list;
    for (const int column : columns) {
        if (column < 0 || static_cast<std::size_t>(column) >= m_fields.size()) {
            return Error{ErrorCode::InvalidArgument, "Field not found", 0};
        }
        list += (list.empty() ? "" : ",") + quoteName(m_fields[static_cast<std::size_t>(column)].name);
    }
    if (list.empty()) {
        list = "rowid";
    }
    auto statement = m_db.prepare("SELECT " + list + " FROM records ORDER BY rowid LIMIT ?1");
    if (!statement) {
        return statement.error();
    }
    statement->bind(1, limit);
    std::vector<std::string_view> values(columns.size());
    std::int64_t read = 0;
    while (true) {
        const auto step = statement->step();
        if (step == SqliteStatement::Step::Done) {
            return read;
        }
        if (step == SqliteStatement::Step::Failed) {
            return statement->lastError("read");
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            values[i] = statement->columnText(static_cast<int>(i));
        }
        visit(values);
        ++read;
    }
}

std::int64_t RecipientStore::recordNumber()
{
    if (!m_db.isOpen() || !m_hasCurrent) {
        return 0;
    }
    (void)flush();
    auto statement = m_db.prepare("SELECT count(*) FROM records WHERE rowid<=?1");
    if (!statement) {
        return 0;
    }
    statement->bind(1, m_rowId);
    if (statement->step() != SqliteStatement::Step::Row) {
        return 0;
    }
    return statement->columnInt(0);
}

Result<void> RecipientStore::setRecordNumber(std::int64_t number)
{
    if (!m_db.isOpen()) {
        return notOpen();
    }
    if (auto flushed = flush(); !flushed) {
        return flushed;
    }
    if (number < 1) {
        return Error{ErrorCode::InvalidArgument, "Record number out of range", 0};
    }
    auto statement = m_db.prepare("SELECT rowid," + m_columnList + " FROM records ORDER BY rowid LIMIT 1 OFFSET ?1");
    if (!statement) {
        return statement.error();
    }
    statement->bind(1, number - 1);
    auto found = stepOnce(*statement);
    if (!found) {
        return found.error();
    }
    if (!*found) {
        return Error{ErrorCode::InvalidArgument, "Record number out of range", 0};
    }
    return loadRow(*statement, true, true);
}

namespace
{

struct ProgressState
{
    const RecipientStore::ProgressCallback* callback = nullptr;
    std::int64_t expectedCalls = 1;
    std::int64_t calls = 0;
    int lastPercent = -1;
};

int reportProgress(void* context)
{
    auto* state = static_cast<ProgressState*>(context);
    ++state->calls;
    const int percent = static_cast<int>(std::min<std::int64_t>(99, state->calls * 100 / state->expectedCalls));
    if (percent != state->lastPercent && *state->callback) {
        state->lastPercent = percent;
        (*state->callback)(percent);
    }
    return 0;
}

// Runs `sql` on `db`, reporting an estimated percentage while SQLite works through about
// `rows` records.
Result<void> execWithProgress(SqliteDatabase& db, const std::string& sql, std::int64_t rows,
                              const RecipientStore::ProgressCallback& progress)
{
    constexpr int kInstructionsPerCall = 10000;
    ProgressState state;
    state.callback = &progress;
    // SQLite spends roughly 100 virtual-machine steps per record when it copies a table.
    state.expectedCalls = std::max<std::int64_t>(1, rows * 100 / kInstructionsPerCall);
    if (progress) {
        progress(0);
        sqlite3_progress_handler(db.handle(), kInstructionsPerCall, &reportProgress, &state);
    }
    auto result = db.exec(sql);
    sqlite3_progress_handler(db.handle(), 0, nullptr, nullptr);
    if (result && progress) {
        progress(100);
    }
    return result;
}

std::int64_t pragmaNumber(SqliteDatabase& db, const char* sql)
{
    auto statement = db.prepare(sql);
    if (!statement || statement->step() != SqliteStatement::Step::Row) {
        return 0;
    }
    return statement->columnInt(0);
}

} // namespace

Result<void> RecipientStore::compact(const std::filesystem::path& path, const ProgressCallback& progress)
{
    if (!isDatabase(path)) {
        return Error{ErrorCode::NotADatabase, path.string() + " is not a database file", 0};
    }
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite);
    if (!db) {
        return db.error();
    }
    const auto pages = pragmaNumber(*db, "PRAGMA page_count");
    const auto freePages = pragmaNumber(*db, "PRAGMA freelist_count");
    const auto rows = pragmaNumber(*db, "SELECT count(*) FROM records");
    // Deleted rows are gone already; rewriting the file is worth it once a good share of its
    // pages stands empty.
    if (freePages > 0 && freePages * 8 >= pages) {
        if (auto vacuumed = execWithProgress(*db, "VACUUM", rows, progress); !vacuumed) {
            return vacuumed;
        }
    } else if (progress) {
        progress(0);
        progress(100);
    }
    (void)db->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return {};
}

Result<void> RecipientStore::sort(const std::filesystem::path& path, std::string_view field,
                                  const ProgressCallback& progress)
{
    RecipientStore store;
    if (auto opened = store.open(path); !opened) {
        return opened;
    }
    const int index = store.fieldIndex(field);
    if (index < 0) {
        return Error{ErrorCode::InvalidArgument, "Field not found: " + std::string(field), 0};
    }
    const auto rows = store.recordCount();
    auto& db = store.m_db;
    const auto column = quoteName(store.m_fields[static_cast<std::size_t>(index)].name);
    auto schema = db.prepare("SELECT sql FROM sqlite_master WHERE type='table' AND name='records'");
    if (!schema || schema->step() != SqliteStatement::Step::Row) {
        return db.lastError("sort");
    }
    std::string createSorted = std::string(schema->columnText(0));
    createSorted.replace(createSorted.find("records"), std::string("records").size(), "records_sorted");
    schema = SqliteStatement();

    // Statements cached on the table must go before it is replaced.
    store.m_nextStatement = {};
    store.m_previousStatement = {};
    store.m_insertStatement = {};
    store.m_updateStatement = {};
    store.m_deleteStatement = {};
    store.m_findStatement = {};

    SqliteTransaction transaction(db);
    if (!transaction.isActive()) {
        return db.lastError("sort");
    }
    if (auto created = db.exec("DROP TABLE IF EXISTS records_sorted;" + createSorted); !created) {
        return created;
    }
    const auto copy = "INSERT INTO records_sorted(" + store.m_columnList + ") SELECT " + store.m_columnList +
                      " FROM records ORDER BY " + column + " COLLATE NOCASE, rowid";
    if (auto copied = execWithProgress(db, copy, rows, progress); !copied) {
        return copied;
    }
    if (auto swapped = db.exec("DROP TABLE records; ALTER TABLE records_sorted RENAME TO records"); !swapped) {
        return swapped;
    }
    if (store.fieldIndex("EmailAddress") >= 0) {
        if (auto indexed =
                db.exec("CREATE INDEX IF NOT EXISTS records_address ON records(EmailAddress COLLATE NOCASE)");
            !indexed) {
            return indexed;
        }
    }
    if (auto committed = transaction.commit(); !committed) {
        return committed;
    }
    return store.close();
}

void RecipientStore::defineField(std::string_view name, FieldType type, int size)
{
    m_layout.push_back({std::string(name), type, type == FieldType::Date ? 0 : size});
}

int RecipientStore::createFile(const std::filesystem::path& path)
{
    if (m_layout.empty()) {
        return SQLITE_MISUSE;
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
    removeSideFiles(path);
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::Create);
    if (!db) {
        return db.error().number != 0 ? db.error().number : SQLITE_CANTOPEN;
    }
    // Pages of 16 KiB make the long runs of writes of an import, and the index built after it,
    // markedly faster than the default 4 KiB.
    std::string sql = "PRAGMA page_size=16384; PRAGMA journal_mode=WAL; BEGIN; CREATE TABLE records(";
    bool hasAddress = false;
    for (std::size_t i = 0; i < m_layout.size(); ++i) {
        const auto& field = m_layout[i];
        sql += i == 0 ? "" : ",";
        sql += quoteName(field.name);
        if (field.type == FieldType::Date) {
            sql += " DATE NOT NULL DEFAULT ''";
        } else {
            sql += " TEXT(" + std::to_string(field.size) + ") NOT NULL DEFAULT '' COLLATE NOCASE";
        }
        hasAddress = hasAddress || equalsIgnoreCase(field.name, "EmailAddress");
    }
    sql += ");";
    if (hasAddress) {
        sql += "CREATE INDEX records_address ON records(EmailAddress COLLATE NOCASE);";
    }
    sql += "PRAGMA user_version=" + std::to_string(kSchemaVersion) + "; COMMIT;";
    if (auto created = db->exec(sql); !created) {
        return created.error().number != 0 ? created.error().number : SQLITE_ERROR;
    }
    return 0;
}

bool RecipientStore::deleteFile(const std::filesystem::path& path)
{
    std::error_code ec;
    const bool removed = std::filesystem::remove(path, ec);
    removeSideFiles(path);
    return removed && !ec;
}

} // namespace tidecast::store
