#include "transfer/ExclusionImport.h"

#include "filters/FilterEvaluators.h"
#include "filters/FilterSet.h"
#include "transfer/AddressHarvester.h"
#include "transfer/ExclusionTexts.h"
#include "transfer/KnownAddresses.h"

#include <chrono>

namespace tidecast::transfer
{

bool checkExclusionImportStart(const ExclusionImportRequest& request, Prompter& prompter)
{
    return checkImportSource(request.source, prompter, Icon::Critical);
}

ExclusionImportResult runExclusionImport(const ExclusionList& list, const ExclusionImportRequest& request,
                                         ImportProgress& progress, StatusSink& status, Prompter& prompter,
                                         std::stop_token stop)
{
    ExclusionImportResult result;
    auto& counts = result.summary.counts;
    const auto& source = request.source;
    if (source.clipboard && !checkClipboardData(*source.clipboard, prompter)) {
        result.summary.refused = true;
        result.summary.ending = ImportEnding::ErrorsEncountered;
        return result;
    }
    const filters::FilterSet filters(request.filters);
    KnownAddresses takenNow; // the addresses this run has collected
    bool failed = false;
    auto interrupted = [&] { return failed || stop.stop_requested(); };

    auto visit = [&](std::string_view candidate, CandidateVerdict verdict) {
        if (interrupted()) {
            return;
        }
        if (verdict != CandidateVerdict::Legal) {
            ++counts.illegal;
            return;
        }
        status.showStatus(text::kCheckingDuplicates);
        if (takenNow.contains(candidate) || list.contains(candidate, request.group)) {
            ++counts.duplicates;
            return;
        }
        const auto verdictOfFilters = filters::filterImportedExclusion(filters, candidate, prompter, status);
        failed = failed || verdictOfFilters.metError;
        if (verdictOfFilters.filtered) {
            ++counts.ignored;
            return;
        }
        if (failed) {
            return;
        }
        status.showStatus(text::kAddingExclusion);
        takenNow.insert(candidate);
        result.added.push_back({std::string(candidate), request.group});
        ++counts.added;
    };

    auto lastShown = std::chrono::steady_clock::now();
    auto keepGoing = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastShown >= std::chrono::milliseconds(100)) {
            lastShown = now;
            progress.setCounts(counts);
        }
        return !interrupted();
    };
    if (auto harvested = harvestSource(source.file, source.clipboard, visit, progress, keepGoing); !harvested) {
        prompter.message(transferErrorText(text::kExclusionRawImportTag, harvested.error()), Icon::Exclamation);
        failed = true;
    }
    progress.setCounts(counts);
    result.summary.ending = failed                  ? ImportEnding::ErrorsEncountered
                            : stop.stop_requested() ? ImportEnding::Stopped
                                                    : ImportEnding::Completed;
    return result;
}

} // namespace tidecast::transfer
