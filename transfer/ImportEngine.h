#pragma once

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "transfer/DelimitedText.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// The twenty-one destination fields of the match-up, in the order of the wizard's lists, the
// layout files and the report's layout line.
enum class MatchUpField
{
    EmailAddress,
    FullNameMacro,
    Title,
    FirstName,
    Initial,
    LastName,
    Address1,
    Address2,
    City,
    State,
    Zip,
    Country,
    Company,
    JobTitle,
    Web,
    Telephone,
    Fax,
    Field1,
    Field2,
    Field3,
    Field4,
};
inline constexpr std::size_t kMatchUpFields = 21;

// "Email Address", "Full Name Macro", "Salutation / Title", ... "Additional Field 4".
std::string_view matchUpFieldName(MatchUpField field);

// Which input field feeds each destination field: 0 for "(blank)", k for "Input Field k".
struct ColumnMapping
{
    int fieldCount = 1;
    std::array<int, kMatchUpFields> sources{};
    bool oneNameField = false;

    int& source(MatchUpField field) { return sources[static_cast<std::size_t>(field)]; }
    int source(MatchUpField field) const { return sources[static_cast<std::size_t>(field)]; }

    bool operator==(const ColumnMapping&) const = default;
};

// "Field 3, Field 1, Field 2": the mapped source fields in match-up order.
std::string layoutDescription(const ColumnMapping& mapping);

enum class ImportLayout
{
    Harvest,   // "All other File/Data formats": every address found in the text
    Delimited, // "Delimited Text format": one recipient per line
};

// Everything one import needs, as the wizard or the command line gathered it.
struct ImportRequest
{
    std::filesystem::path file;           // read when there is no clipboard text
    std::optional<std::string> clipboard; // text taken in place of a file
    ImportLayout layout = ImportLayout::Delimited;
    Delimiter delimiter = Delimiter::Comma;
    ColumnMapping mapping;
    bool checkDuplicates = true;
    std::string groupName;
    std::filesystem::path groupPath;
    std::vector<std::string> filters; // the import filter list's lines
    std::filesystem::path dataFolder; // where the report is written
};

struct ImportCounts
{
    std::int64_t added = 0;      // "Legitimate Email Addresses"
    std::int64_t duplicates = 0; // "Duplicate Email Addresses"
    std::int64_t ignored = 0;    // "Filtered Email Addresses"
    std::int64_t illegal = 0;    // "Illegal Email Addresses"

    bool operator==(const ImportCounts&) const = default;
};

enum class ImportEnding
{
    Completed,
    Stopped,
    ErrorsEncountered,
};
std::string_view importEndingText(ImportEnding ending); // "Import Completed", ...

struct ImportSummary
{
    ImportCounts counts;
    ImportEnding ending = ImportEnding::Completed;
    bool refused = false; // ended before reading anything (report not reset, no data); the reason was shown
};

// The progress window: the label and bar of Progress plus the four counters. Counters are
// reported in batches, and always once more at the end.
class ImportProgress : public Progress
{
public:
    virtual void setCounts(const ImportCounts& counts) = 0;
};

inline constexpr std::string_view kReportFileName = "Illegal Import Data.txt";
// Records are committed in batches of this many: a killed import keeps whole records only.
inline constexpr std::int64_t kImportBatch = 20000;

// An unexpected error as the import and export report it: the procedure's tag, the error number,
// " - " and the error text.
std::string transferErrorText(std::string_view tag, const Error& error);

// The import's check of the clipboard's text: when it holds nothing but blanks, the critical
// no-data message is shown and the answer is false.
bool checkClipboardData(std::string_view text, Prompter& prompter);

// Runs one import to its end, a stop or an error. Messages go through the prompter with their
// exact texts; being stopped is a normal ending. Runs on any one thread.
ImportSummary runImport(const ImportRequest& request, ImportProgress& progress, Prompter& prompter, const Clock& clock,
                        std::stop_token stop);

// After an import with illegal data: asks whether to review the report and opens it with
// `openReport`, which returns false when no program could be started.
void offerReport(const ImportSummary& summary, const std::filesystem::path& reportPath, Prompter& prompter,
                 const std::function<bool(const std::filesystem::path&)>& openReport);

} // namespace tidecast::transfer
