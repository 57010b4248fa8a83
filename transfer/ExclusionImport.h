#pragma once

#include "common/Prompter.h"
#include "common/StatusSink.h"
#include "transfer/ExclusionList.h"
#include "transfer/ImportEngine.h"
#include "transfer/ImportSetup.h"

#include <stop_token>
#include <string>
#include <vector>

namespace tidecast::transfer
{

// What the exclusion import dialog hands to its progress window.
struct ExclusionImportRequest
{
    ImportSource source;
    std::string group;                // "All Groups" or a group name
    std::vector<std::string> filters; // the exclusion import's filter list
};

// "&Start Import"'s checks: with a file, one that exists (else the critical message); with the
// clipboard, some text on it.
bool checkExclusionImportStart(const ExclusionImportRequest& request, Prompter& prompter);

// The outcome of one exclusion import: the counters, how it ended, and the new entries in the
// order they were found, all for the request's group.
struct ExclusionImportResult
{
    ImportSummary summary;
    std::vector<ExclusionEntry> added;
};

// Harvests addresses from the file or the clipboard exactly as a harvesting import does and
// collects each one that `list` does not yet cover for the request's group (nor an earlier
// candidate of the same run) and that the filters pass. A candidate failing one of the seven
// checks counts as illegal, one already covered as a duplicate, one the filters reject as
// ignored. The list is only read, so the window may keep showing it; the caller appends the
// result. Stop is honoured at the next candidate.
ExclusionImportResult runExclusionImport(const ExclusionList& list, const ExclusionImportRequest& request,
                                         ImportProgress& progress, StatusSink& status, Prompter& prompter,
                                         std::stop_token stop);

} // namespace tidecast::transfer
