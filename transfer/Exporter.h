#pragma once

#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "common/StatusSink.h"
#include "transfer/ExportFields.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// Everything the export window hands to its progress window.
struct ExportRequest
{
    ExportSource source = ExportSource::Recipients;
    std::filesystem::path sourceFile; // the group's, the search results' or the exclusion list's file
    std::filesystem::path output;
    std::vector<std::string> fields; // labels, in the order they are written
    ExportDelimiter delimiter = ExportDelimiter::Comma;
    bool header = false;
    std::string sortField; // a sort label; empty for none
    bool byteOrderMark = false;
    std::vector<std::string> filterRules;
};

struct ExportCounts
{
    std::int64_t exported = 0;
    std::int64_t ignored = 0;

    bool operator==(const ExportCounts&) const = default;
};

enum class ExportStatus
{
    Completed,
    Stopped,
    Errors,
    Refused, // nothing was written: the source is missing or empty
};

struct ExportOutcome
{
    ExportStatus status = ExportStatus::Refused;
    ExportCounts counts;
};

// "Export Completed", "Export Stopped" or "Errors Encountered"; empty when refused.
std::string_view finalStatusText(ExportStatus status);

// Start's checks before anything runs: an output file and at least one field.
bool checkExportStart(const ExportRequest& request, Prompter& prompter);
// Ticking sort under double-byte safety: the message, and false.
bool sortAvailable(bool doubleByteSafe, Prompter& prompter);

// Writes the records of one source to a delimited UTF-8 text file with CR LF line ends. The
// caller closes the source file wherever else it is open first.
class Exporter
{
public:
    using CountsListener = std::function<void(const ExportCounts&)>;

    Exporter(Prompter& prompter, Progress& progress, StatusSink& status);

    // Receives the counts in batches while the export runs, and the final ones.
    void setCountsListener(CountsListener listener) { m_countsListener = std::move(listener); }

    // Sorting is skipped under double-byte safety. Stop is honoured at the next record; the lines
    // written so far stay in the file.
    ExportOutcome run(const ExportRequest& request, bool doubleByteSafe, std::stop_token stop = {});

private:
    struct Run;

    bool sortSource(const ExportRequest& request, std::string_view tag);
    bool writeRecords(Run& run);
    void publish(const ExportCounts& counts);
    void fail(std::string_view tag, const Error& error);

    Prompter& m_prompter;
    Progress& m_progress;
    StatusSink& m_status;
    CountsListener m_countsListener;
};

} // namespace tidecast::transfer
