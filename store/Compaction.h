#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/Result.h"

#include <chrono>
#include <filesystem>
#include <string_view>

namespace tidecast::store
{

// Tuning of the safe rebuild; tests shorten the waits.
struct SafeRebuildOptions
{
    int deleteAttempts = 5;
    std::chrono::milliseconds retryDelay{200};
    int progressEvery = 50; // records between progress updates
};

// Rebuilds data folder + name + extension by copying its records into a fresh temporary file
// (data folder + name + n + ".tmp", the first n free) and putting that in the file's place.
// Works on a closed file. Progress gets the record count as maximum and a value every
// `progressEvery` records, and is reset to 0 at the end. A missing file is left alone.
// If the original cannot be removed after the attempts, it stays as it was and the temporary
// file is removed.
[[nodiscard]] Result<void> safeRebuild(const std::filesystem::path& dataDir, std::string_view name,
                                       std::string_view extension, Progress& progress,
                                       const SafeRebuildOptions& options = {});

// The compaction that follows every deletion: the safe rebuild when `safe` is on, else the
// database's own compaction with its 0-100 progress. Shows "DB Compact Error : ..." when the
// safe rebuild fails, or `errorTag` + the error when the direct compaction fails; false then.
bool compactAfterDelete(const std::filesystem::path& dataDir, std::string_view name, std::string_view extension,
                        bool safe, Progress& progress, Prompter& prompter, std::string_view errorTag);

} // namespace tidecast::store
