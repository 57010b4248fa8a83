#include "transfer/ImportEngine.h"

#include "common/MailAddress.h"
#include "common/Text.h"
#include "filters/FilterEvaluators.h"
#include "filters/FilterSet.h"
#include "store/AddressIndex.h"
#include "store/LocalDate.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"
#include "transfer/AddressHarvester.h"
#include "transfer/ImportSetup.h"
#include "transfer/KnownAddresses.h"
#include "transfer/RecordWriter.h"
#include "transfer/TextLines.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tidecast::transfer
{

namespace
{

constexpr std::string_view kPreparing = "Preparing...";
constexpr std::string_view kImporting = "Importing...";
constexpr std::string_view kLoadingGroup = "Loading existing Group ...";
constexpr std::string_view kReadingFile = "Reading Import file";
constexpr std::string_view kReadingClipboard = "Reading Clipboard";
constexpr std::string_view kCannotResetReport = "Unable to reset the Illegal Import Data file. If you have this file "
                                                "open please close it and then try again.";
constexpr std::string_view kCannotOpenGroup = "Unable to open the desitination Group: ";
constexpr std::string_view kNoClipboardData = "No data was found on the clipboard!\r\n"
                                              "Please copy the data you intend to import to the clip board and try "
                                              "again.";
constexpr std::string_view kReviewQuestion = "Tidecast was unable to import some of Recipients contained in the "
                                             "import data.\r\nWould you like to review the ones that failed?";
constexpr std::string_view kCannotLaunchEditor = "Unable to launch the default text editor for your system.\r\n"
                                                 "To view the details please open the following file:\r\n\r\n";

constexpr std::string_view kRawImportTag = "RAWImport Error: ";
constexpr std::string_view kParseDelimitedTag = "ParseDELData Error: ";
constexpr std::string_view kAddRecipientTag = "AddRecipient Error: ";
constexpr std::string_view kReportTag = "ImportReport Error: ";

constexpr std::string_view kIllegalLine = "** Illegal Email Address: ";
constexpr std::string_view kDuplicateLine = "** Duplicate Email Address: ";
constexpr std::string_view kFilteredLine = "** Filtered Email Address: ";
constexpr std::string_view kCompleteRecordLine = "** Complete Record: ";
constexpr std::string_view kDelimiterMissingLine = "** Delimiter Missing **: ";

// The recipient column each match-up field fills; the whole name has none of its own.
constexpr std::array<std::optional<store::RecipientField>, kMatchUpFields> kMatchUpColumns = {
    store::RecipientField::EmailAddress, std::nullopt,
    store::RecipientField::Title,        store::RecipientField::FirstName,
    store::RecipientField::Initial,      store::RecipientField::LastName,
    store::RecipientField::Address1,     store::RecipientField::Address2,
    store::RecipientField::City,         store::RecipientField::State,
    store::RecipientField::Zip,          store::RecipientField::Country,
    store::RecipientField::Company,      store::RecipientField::JobTitle,
    store::RecipientField::Web,          store::RecipientField::Telephone,
    store::RecipientField::Fax,          store::RecipientField::Field1,
    store::RecipientField::Field2,       store::RecipientField::Field3,
    store::RecipientField::Field4,
};

// One import from start-up to its ending.
class ImportRun
{
public:
    ImportRun(const ImportRequest& request, ImportProgress& progress, Prompter& prompter, const Clock& clock,
              std::stop_token stop)
        : m_request(request)
        , m_progress(progress)
        , m_prompter(prompter)
        , m_clock(clock)
        , m_stop(std::move(stop))
        , m_filters(request.filters)
    {}

    ImportSummary run();

private:
    bool resetReport();
    void writeHeader();
    bool openGroup();
    bool loadKnownAddresses();
    void harvest();
    void harvestFile();
    void readDelimited();
    void delimitedLine(std::string_view line);
    void addRecipient(std::string_view recordText);
    void finishWriting();
    void finishGroup();
    bool clipboardHasData();

    bool interrupted() const { return m_failed || m_stop.stop_requested(); }
    void fail(std::string_view tag, const Error& error)
    {
        m_prompter.message(transferErrorText(tag, error), Icon::Exclamation);
        m_failed = true;
    }
    void reportLine(std::string_view text) { reportLine(text, {}); }
    void reportLine(std::string_view label, std::string_view text)
    {
        if (!m_reportFailed) {
            m_report << label << text << kCrLf;
            checkReport();
        }
    }
    void checkReport();
    void showCounts(bool force = false);

    const ImportRequest& m_request;
    ImportProgress& m_progress;
    Prompter& m_prompter;
    const Clock& m_clock;
    std::stop_token m_stop;
    filters::FilterSet m_filters;

    std::ofstream m_report;
    store::RecipientStore m_group;
    KnownAddresses m_known;
    ImportCounts m_counts;
    std::string m_today;
    std::optional<std::string> m_deferredIndex; // rebuilt once the records are in
    std::optional<RecordWriter> m_writer;
    bool m_failed = false;
    bool m_reportFailed = false;
    std::chrono::steady_clock::time_point m_lastShown{};
    std::vector<std::string_view> m_fields;
    // The row being added, cleaned: kept from row to row so that its text reuses its storage.
    std::array<std::string, kMatchUpFields> m_values;
};

ImportSummary ImportRun::run()
{
    ImportSummary summary;
    m_progress.setLabel(kPreparing);
    if (!resetReport()) {
        m_prompter.message(kCannotResetReport, Icon::Critical);
        summary.refused = true;
        summary.ending = ImportEnding::ErrorsEncountered;
        return summary;
    }
    m_progress.setLabel(kImporting);
    m_report.open(m_request.dataFolder / kReportFileName, std::ios::binary | std::ios::trunc);
    checkReport();
    writeHeader();
    m_today = store::formatShortDate(m_clock.now());
    if (!interrupted() && openGroup() && loadKnownAddresses()) {
        m_writer.emplace(m_group, kImportBatch);
        if (m_request.clipboard && !clipboardHasData()) {
            summary.refused = true;
        } else if (m_request.layout == ImportLayout::Harvest) {
            harvest();
        } else {
            readDelimited();
        }
    }
    finishWriting();
    finishGroup();
    if (m_report.is_open()) {
        m_report.close();
        checkReport();
    }
    m_known.clear();
    showCounts(true);
    summary.counts = m_counts;
    summary.ending = m_failed                  ? ImportEnding::ErrorsEncountered
                     : m_stop.stop_requested() ? ImportEnding::Stopped
                                               : ImportEnding::Completed;
    return summary;
}

bool ImportRun::resetReport()
{
    std::error_code error;
    const auto path = m_request.dataFolder / kReportFileName;
    if (!std::filesystem::exists(path, error)) {
        return true;
    }
    return std::filesystem::remove(path, error) && !error;
}

// A report that cannot be written whole ends the import: the lines it would lose are the only
// account of what was left out.
void ImportRun::checkReport()
{
    if (m_reportFailed || !m_report.fail()) {
        return;
    }
    m_reportFailed = true;
    const int cause = errno;
    const auto path = (m_request.dataFolder / kReportFileName).string();
    fail(kReportTag,
         Error{ErrorCode::FileWrite,
               "Unable to write " + path + (cause != 0 ? std::string(": ") + std::strerror(cause) : ""), cause});
}

void ImportRun::writeHeader()
{
    const bool delimited = m_request.layout == ImportLayout::Delimited;
    const auto description = describeImport(m_request);
    reportLine("# Importing :", description.source);
    reportLine("# To :", m_request.groupName);
    reportLine("# ", description.type);
    if (!m_request.checkDuplicates) {
        reportLine("# Import Data not checked for Duplicates");
    }
    if (delimited) {
        reportLine("# ", description.delimiter);
        reportLine("# Expected Field layout :", layoutDescription(m_request.mapping));
    } else {
        reportLine("# Importing Email Address Only");
    }
    reportLine("");
    reportLine("# Date :", store::formatGeneralDate(m_clock.now()));
    reportLine(" ");
}

bool ImportRun::openGroup()
{
    if (!store::RecipientStore::isDatabase(m_request.groupPath) || !m_group.open(m_request.groupPath)) {
        m_failed = true;
        m_prompter.message(std::string(kCannotOpenGroup) + m_request.groupName, Icon::Critical);
        return false;
    }
    // An empty group fills much faster without its address index. If it cannot be dropped the
    // import simply keeps it up to date as it goes.
    if (auto dropped = store::dropAddressIndexWhileEmpty(m_request.groupPath); dropped) {
        m_deferredIndex = std::move(*dropped);
    }
    if (auto begun = m_group.beginTransaction(); !begun) {
        fail(kAddRecipientTag, begun.error());
        return false;
    }
    return true;
}

bool ImportRun::loadKnownAddresses()
{
    if (!m_request.checkDuplicates) {
        return true;
    }
    m_progress.setLabel(kLoadingGroup);
    const auto total = m_group.recordCount();
    m_progress.setMaximum(total);
    m_known.reserve(static_cast<std::size_t>(total));
    const int column = m_group.fieldIndex(store::recipientFieldInfo(store::RecipientField::EmailAddress).name);
    std::int64_t read = 0;
    auto loaded = m_group.readRecords(total, {column}, [&](const std::vector<std::string_view>& values) {
        m_known.insert(values[0]);
        if (++read % 65536 == 0) {
            m_progress.setValue(read);
        }
    });
    if (!loaded) {
        fail(kAddRecipientTag, loaded.error());
        return false;
    }
    m_progress.setValue(total);
    return true;
}

bool ImportRun::clipboardHasData()
{
    return checkClipboardData(*m_request.clipboard, m_prompter);
}

void ImportRun::showCounts(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (force || now - m_lastShown >= std::chrono::milliseconds(100)) {
        m_lastShown = now;
        m_progress.setCounts(m_counts);
    }
}

void ImportRun::harvest()
{
    auto visit = [this](std::string_view candidate, CandidateVerdict verdict) {
        if (interrupted()) {
            return;
        }
        if (verdict != CandidateVerdict::Legal) {
            ++m_counts.illegal;
            reportLine(kIllegalLine, candidate);
            return;
        }
        for (auto& value : m_values) {
            value.clear();
        }
        cleanFieldInto(candidate, m_values[static_cast<std::size_t>(MatchUpField::EmailAddress)]);
        addRecipient(candidate);
    };
    auto keepGoing = [this] {
        showCounts();
        return !interrupted();
    };
    if (auto harvested = harvestSource(m_request.file, m_request.clipboard, visit, m_progress, keepGoing); !harvested) {
        fail(kRawImportTag, harvested.error());
    }
}

void ImportRun::readDelimited()
{
    std::istringstream clipboard;
    std::ifstream file;
    std::istream* in = &file;
    if (m_request.clipboard) {
        m_progress.setLabel(kReadingClipboard);
        clipboard.str(*m_request.clipboard);
        in = &clipboard;
        m_progress.setMaximum(static_cast<std::int64_t>(m_request.clipboard->size()));
    } else {
        m_progress.setLabel(kReadingFile);
        file.open(m_request.file, std::ios::binary);
        if (!file) {
            fail(kParseDelimitedTag, Error{ErrorCode::FileRead, "Unable to read " + m_request.file.string(), 53});
            return;
        }
        std::error_code sizeError;
        const auto size = std::filesystem::file_size(m_request.file, sizeError);
        m_progress.setMaximum(sizeError ? 0 : static_cast<std::int64_t>(size));
    }
    LineReader lines(*in);
    std::string_view line;
    std::int64_t count = 0;
    while (!interrupted() && lines.next(line)) {
        delimitedLine(line);
        if (++count % 1024 == 0) {
            m_progress.setValue(lines.bytesRead());
            showCounts();
        }
    }
    m_progress.setValue(lines.bytesRead());
    if (lines.failed()) {
        fail(kParseDelimitedTag, Error{ErrorCode::FileRead, "Unable to read " + m_request.file.string(), 57});
    }
}

void ImportRun::delimitedLine(std::string_view line)
{
    const char delimiter = delimiterCharacter(m_request.delimiter);
    if (line.find(delimiter) == std::string_view::npos) {
        ++m_counts.illegal;
        reportLine(kDelimiterMissingLine, line);
        reportLine("");
        return;
    }
    const auto& mapping = m_request.mapping;
    splitFields(line, delimiter, mapping.fieldCount, m_fields);
    auto mapped = [&](std::size_t field) {
        const int source = mapping.sources[field];
        return source >= 1 && source <= static_cast<int>(m_fields.size())
                   ? m_fields[static_cast<std::size_t>(source - 1)]
                   : std::string_view();
    };
    const auto address = mapped(static_cast<std::size_t>(MatchUpField::EmailAddress));
    if (address.find('@') == std::string_view::npos || address.find('.') == std::string_view::npos ||
        countChars(address) <= 4) {
        ++m_counts.illegal;
        reportLine(kIllegalLine, address);
        reportLine(kCompleteRecordLine, line);
        reportLine("");
        return;
    }
    for (std::size_t i = 0; i < kMatchUpFields; ++i) {
        cleanFieldInto(mapped(i), m_values[i]);
    }
    addRecipient(line);
}

void ImportRun::addRecipient(std::string_view recordText)
{
    const auto& address = m_values[static_cast<std::size_t>(MatchUpField::EmailAddress)];
    if (!isValidMailbox(address)) {
        ++m_counts.illegal;
        reportLine(kIllegalLine, printableAddress(address));
        reportLine(kCompleteRecordLine, recordText);
        reportLine("");
        return;
    }
    if (m_request.checkDuplicates && m_known.contains(address)) {
        ++m_counts.duplicates;
        reportLine(kDuplicateLine, address);
        reportLine(kCompleteRecordLine, recordText);
        reportLine("");
        return;
    }
    // Every recipient field has its match-up field: swapping fills the whole record.
    auto& record = m_writer->next();
    for (std::size_t i = 0; i < kMatchUpFields; ++i) {
        if (kMatchUpColumns[i]) {
            std::swap(record.fields[static_cast<std::size_t>(*kMatchUpColumns[i])], m_values[i]);
        }
    }
    record.dateAdded.clear();
    const auto& wholeName = m_values[static_cast<std::size_t>(MatchUpField::FullNameMacro)];
    const auto verdict = filters::filterImportedRecipient(m_filters, {record, wholeName}, m_prompter);
    if (verdict.metError) {
        m_failed = true;
    }
    if (verdict.filtered) {
        ++m_counts.ignored;
        reportLine(kFilteredLine, record.emailAddress());
        reportLine(kCompleteRecordLine, recordText);
        reportLine("");
        return;
    }
    if (m_failed) {
        return;
    }
    if (m_request.checkDuplicates) {
        m_known.insert(record.emailAddress());
    }
    if (!wholeName.empty()) {
        auto parts = splitName(wholeName);
        record.set(store::RecipientField::Title, std::move(parts.title));
        record.set(store::RecipientField::FirstName, std::move(parts.first));
        record.set(store::RecipientField::Initial, std::move(parts.initial));
        record.set(store::RecipientField::LastName, std::move(parts.last));
    }
    record.dateAdded.assign(m_today);
    if (!m_writer->add()) {
        finishWriting();
        return;
    }
    ++m_counts.added;
}

// Counted as added once handed to the writer; the final count is what reached the group.
void ImportRun::finishWriting()
{
    if (!m_writer) {
        return;
    }
    auto finished = m_writer->finish();
    m_counts.added = m_writer->written();
    m_writer.reset();
    if (!finished) {
        fail(kAddRecipientTag, finished.error());
    }
}

void ImportRun::finishGroup()
{
    if (!m_group.isOpen()) {
        return;
    }
    if (auto closed = m_group.close(); !closed && !m_failed) {
        fail(kAddRecipientTag, closed.error());
    }
    if (m_deferredIndex) {
        if (auto restored = store::restoreAddressIndex(m_request.groupPath, *m_deferredIndex); !restored && !m_failed) {
            fail(kAddRecipientTag, restored.error());
        }
    }
}

} // namespace

std::string transferErrorText(std::string_view tag, const Error& error)
{
    return std::string(tag) + std::to_string(error.number) + " - " + error.detail;
}

bool checkClipboardData(std::string_view text, Prompter& prompter)
{
    if (!trimBlanks(text).empty()) {
        return true;
    }
    prompter.message(kNoClipboardData, Icon::Critical);
    return false;
}

std::string_view matchUpFieldName(MatchUpField field)
{
    const auto column = kMatchUpColumns[static_cast<std::size_t>(field)];
    return column ? store::recipientFieldInfo(*column).label
                  : filters::filterFieldName(filters::FilterField::FullNameMacro);
}

std::string layoutDescription(const ColumnMapping& mapping)
{
    std::string layout;
    for (const int source : mapping.sources) {
        if (source > 0) {
            layout += (layout.empty() ? "Field " : ", Field ") + std::to_string(source);
        }
    }
    return layout;
}

std::string_view importEndingText(ImportEnding ending)
{
    switch (ending) {
    case ImportEnding::Completed:
        return "Import Completed";
    case ImportEnding::Stopped:
        return "Import Stopped";
    case ImportEnding::ErrorsEncountered:
        return "Errors Encountered";
    }
    return "Import Completed";
}

ImportSummary runImport(const ImportRequest& request, ImportProgress& progress, Prompter& prompter, const Clock& clock,
                        std::stop_token stop)
{
    return ImportRun(request, progress, prompter, clock, std::move(stop)).run();
}

void offerReport(const ImportSummary& summary, const std::filesystem::path& reportPath, Prompter& prompter,
                 const std::function<bool(const std::filesystem::path&)>& openReport)
{
    if (summary.counts.illegal <= 0) {
        return;
    }
    if (prompter.ask(kReviewQuestion, Buttons::YesNo, Icon::Question, Answer::Yes) != Answer::Yes) {
        return;
    }
    if (!openReport(reportPath)) {
        prompter.message(std::string(kCannotLaunchEditor) + reportPath.string(), Icon::Exclamation);
    }
}

} // namespace tidecast::transfer
