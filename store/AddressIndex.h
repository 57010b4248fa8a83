#pragma once

#include "common/Result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tidecast::store
{

class SqliteDatabase;

// A recipient file with an EmailAddress field keeps it indexed (case-insensitive). Filling an
// empty file by the million is far cheaper without the index, building it once at the end.

// When the file at `path` holds no records and has the address index, drops the index and
// returns the statement that recreates it exactly; otherwise returns nothing and changes nothing.
[[nodiscard]] Result<std::optional<std::string>> dropAddressIndexWhileEmpty(const std::filesystem::path& path);

// Runs the statement dropAddressIndexWhileEmpty returned, unless the index is back already.
[[nodiscard]] Result<void> restoreAddressIndex(const std::filesystem::path& path, const std::string& statement);

// Recreates the address index of an open file that lost it (an import that was killed before it
// could rebuild it). Quietly does nothing when the file is read-only or busy.
void repairAddressIndex(SqliteDatabase& db);

} // namespace tidecast::store
