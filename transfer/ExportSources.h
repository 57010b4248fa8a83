#pragma once

#include "common/Prompter.h"
#include "transfer/Exporter.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// How the export window was opened: from the main window (a group), from the search (its
// results, "QUERY") or from the exclusion list window ("EEX").
enum class ExportMode
{
    Groups,
    SearchResults,
    ExclusionList,
};

// One entry of the export window's source selector.
struct ExportSourceChoice
{
    std::string name;
    ExportSource kind = ExportSource::Recipients;
    std::filesystem::path file;

    bool operator==(const ExportSourceChoice&) const = default;
};

// The selector's entries: the mode's own source first ("Search Results" or "Exclusion List"),
// then every listed group.
std::vector<ExportSourceChoice> exportSourceChoices(ExportMode mode, const std::vector<std::string>& groups,
                                                    const std::filesystem::path& dataDir);

// What Start does before the progress window runs: the checks on the output file and the fields,
// then the source's output path is remembered in "exfiles.sdb". False when a check failed.
bool beginExport(const ExportRequest& request, std::string_view sourceName, const std::filesystem::path& dataDir,
                 Prompter& prompter);

} // namespace tidecast::transfer
