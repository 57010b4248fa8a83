#include "transfer/ExportSources.h"

#include "store/GroupNames.h"
#include "transfer/ExclusionList.h"
#include "transfer/ExportHistory.h"
#include "transfer/ExportTexts.h"
#include "transfer/ImportEngine.h"

namespace tidecast::transfer
{

namespace
{

constexpr std::string_view kAddToExportListTag = "AddToExportList: ";

std::filesystem::path recipientsFile(const std::filesystem::path& dataDir, std::string_view name)
{
    return dataDir / (std::string(name) + std::string(store::kGroupExtension));
}

} // namespace

std::vector<ExportSourceChoice> exportSourceChoices(ExportMode mode, const std::vector<std::string>& groups,
                                                    const std::filesystem::path& dataDir)
{
    std::vector<ExportSourceChoice> choices;
    if (mode == ExportMode::SearchResults) {
        choices.push_back({std::string(text::kSearchResultsSource), ExportSource::Recipients,
                           recipientsFile(dataDir, text::kSearchResultsSource)});
    } else if (mode == ExportMode::ExclusionList) {
        choices.push_back(
            {std::string(store::kExclusionListName), ExportSource::ExclusionList, ExclusionList::filePath(dataDir)});
    }
    for (const auto& group : groups) {
        choices.push_back({group, ExportSource::Recipients, recipientsFile(dataDir, group)});
    }
    return choices;
}

bool beginExport(const ExportRequest& request, std::string_view sourceName, const std::filesystem::path& dataDir,
                 Prompter& prompter)
{
    if (!checkExportStart(request, prompter)) {
        return false;
    }
    // A failed write of the history costs only the remembered path: the export still runs.
    if (auto remembered = ExportHistory(dataDir).rememberOutput(sourceName, request.output.string()); !remembered) {
        prompter.message(transferErrorText(kAddToExportListTag, remembered.error()), Icon::Exclamation);
    }
    return true;
}

} // namespace tidecast::transfer
