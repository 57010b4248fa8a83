#pragma once

#include "common/Result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tidecast::transfer
{

// "exfiles.sdb" in the data folder: the last output path used for each export source.
class ExportHistory
{
public:
    explicit ExportHistory(const std::filesystem::path& dataDir);

    // The remembered output path of a source; empty when there is none.
    [[nodiscard]] Result<std::string> lastOutput(std::string_view sourceName) const;
    // Remembers the output path of a source, replacing an earlier one.
    [[nodiscard]] Result<void> rememberOutput(std::string_view sourceName, std::string_view outputPath) const;

    const std::filesystem::path& file() const { return m_file; }

private:
    [[nodiscard]] Result<void> createWhenMissing() const;

    std::filesystem::path m_file;
};

} // namespace tidecast::transfer
