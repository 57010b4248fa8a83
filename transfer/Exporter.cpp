#include "transfer/Exporter.h"

#include "filters/FilterEvaluators.h"
#include "filters/FilterSet.h"
#include "store/RecipientStore.h"
#include "transfer/ExportTexts.h"
#include "transfer/ImportEngine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tidecast::transfer
{

namespace
{

constexpr std::int64_t kPublishEvery = 4096;
constexpr std::size_t kFlushAt = 1 << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

// Where a selected field's value comes from in the record being exported.
constexpr int kDateAddedSlot = static_cast<int>(store::kRecipientTextFields);
constexpr int kFullNameSlot = kDateAddedSlot + 1;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

Error writeError(const std::filesystem::path& path)
{
    return Error{ErrorCode::FileWrite, "Cannot write " + path.string() + ": " + std::strerror(errno), errno};
}

} // namespace

std::string_view finalStatusText(ExportStatus status)
{
    switch (status) {
    case ExportStatus::Completed:
        return text::kExportCompleted;
    case ExportStatus::Stopped:
        return text::kExportStopped;
    case ExportStatus::Errors:
        return text::kErrorsEncountered;
    case ExportStatus::Refused:
        break;
    }
    return {};
}

bool checkExportStart(const ExportRequest& request, Prompter& prompter)
{
    if (request.output.empty()) {
        prompter.message(text::kSelectOutputFile, Icon::Critical);
        return false;
    }
    if (request.fields.empty()) {
        prompter.message(text::kSelectFields, Icon::Critical);
        return false;
    }
    return true;
}

bool sortAvailable(bool doubleByteSafe, Prompter& prompter)
{
    if (doubleByteSafe) {
        prompter.message(text::kSortUnavailable, Icon::Information);
        return false;
    }
    return true;
}

// The state of one export from opening the source to closing the output.
struct Exporter::Run
{
    const ExportRequest& request;
    std::stop_token stop;
    std::string_view tag;
    store::RecipientStore source;
    std::unique_ptr<std::FILE, FileCloser> output;
    filters::FilterSet filters;
    std::vector<int> columns; // file columns read, in slot order
    std::vector<int> slots;   // the selected fields' slots, in output order
    store::RecipientRecord record;
    std::string fullName;
    std::string buffer;
    ExportCounts counts;
    bool metError = false;
    std::optional<Error> error;

    char delimiter() const { return delimiterCharacter(request.delimiter); }

    bool flush()
    {
        if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), output.get()) != buffer.size()) {
            error = writeError(request.output);
            return false;
        }
        buffer.clear();
        return true;
    }
};

Exporter::Exporter(Prompter& prompter, Progress& progress, StatusSink& status)
    : m_prompter(prompter)
    , m_progress(progress)
    , m_status(status)
{}

void Exporter::publish(const ExportCounts& counts)
{
    m_progress.setValue(counts.exported + counts.ignored);
    if (m_countsListener) {
        m_countsListener(counts);
    }
}

void Exporter::fail(std::string_view tag, const Error& error)
{
    m_prompter.message(transferErrorText(tag, error), Icon::Exclamation);
}

bool Exporter::sortSource(const ExportRequest& request, std::string_view tag)
{
    m_status.showStatus(text::kSortingGroup);
    const auto column = columnName(request.sortField);
    if (!column) {
        fail(tag, Error{ErrorCode::InvalidArgument, "Unknown sort field " + request.sortField, 0});
        return false;
    }
    if (auto sorted = store::RecipientStore::sort(request.sourceFile, *column); !sorted) {
        fail(tag, sorted.error());
        return false;
    }
    return true;
}

ExportOutcome Exporter::run(const ExportRequest& request, bool doubleByteSafe, std::stop_token stop)
{
    const bool exclusion = request.source == ExportSource::ExclusionList;
    Run run{
        request, stop, exclusion ? text::kExportExclusionTag : text::kExportListTag, {}, {}, {}, {}, {}, {}, {}, {}, {},
        false,   {}};
    if (!store::RecipientStore::isDatabase(request.sourceFile)) {
        m_prompter.message(text::kGroupMissing, Icon::Critical);
        return {};
    }
    if (!request.sortField.empty() && !doubleByteSafe && !sortSource(request, run.tag)) {
        return {ExportStatus::Errors, {}};
    }
    m_status.showStatus(text::kOpeningGroup);
    if (auto opened = run.source.open(request.sourceFile); !opened) {
        fail(run.tag, opened.error());
        return {ExportStatus::Errors, {}};
    }
    const auto total = run.source.recordCount();
    if (total == 0) {
        m_prompter.message(exclusion ? text::kExclusionEmpty : text::kGroupEmpty, Icon::Critical);
        return {};
    }
    m_progress.setMaximum(total);
    run.filters = filters::FilterSet(request.filterRules);
    const bool written = writeRecords(run);
    if (run.error) {
        fail(run.tag, *run.error);
    }
    auto closed = run.source.close();
    if (!closed) {
        fail(run.tag, closed.error());
    }
    publish(run.counts);
    if (!written || !closed || run.metError) {
        return {ExportStatus::Errors, run.counts};
    }
    return {stop.stop_requested() ? ExportStatus::Stopped : ExportStatus::Completed, run.counts};
}

bool Exporter::writeRecords(Run& run)
{
    const auto& request = run.request;
    const bool exclusion = request.source == ExportSource::ExclusionList;
    auto& source = run.source;

    // The columns to read: the twenty text fields and the date, or the address and the group.
    if (exclusion) {
        run.columns = {source.fieldIndex("EmailAddress"), source.fieldIndex("Group")};
    } else {
        for (const auto& info : store::recipientFields()) {
            run.columns.push_back(source.fieldIndex(info.name));
        }
        run.columns.push_back(source.fieldIndex(store::kDateAddedField));
    }
    const auto& labels = exportFieldLabels(request.source);
    for (const auto& label : request.fields) {
        int slot = -1;
        if (exclusion) {
            slot = label == labels[0] ? 0 : (label == kGroupNameLabel ? 1 : -1);
        } else if (label == kFullNameLabel) {
            slot = kFullNameSlot;
        } else if (label == store::kDateAddedLabel) {
            slot = kDateAddedSlot;
        } else if (const auto field = store::recipientFieldByLabel(label)) {
            slot = static_cast<int>(*field);
        }
        if (slot < 0) {
            run.error = Error{ErrorCode::InvalidArgument, "Unknown field " + label, 0};
            return false;
        }
        run.slots.push_back(slot);
    }
    for (std::size_t i = 0; i < run.columns.size(); ++i) {
        if (run.columns[i] < 0) {
            run.error = Error{ErrorCode::Database, "The file has no field for " + request.fields.front(), 0};
            return false;
        }
    }

    // A fresh output file, the byte-order mark and the header line.
    std::error_code ignored;
    std::filesystem::remove(request.output, ignored);
    run.output.reset(std::fopen(request.output.c_str(), "wb"));
    if (!run.output) {
        run.error = writeError(request.output);
        return false;
    }
    const char delimiter = run.delimiter();
    if (request.byteOrderMark) {
        run.buffer += kByteOrderMark;
    }
    if (request.header) {
        m_status.showStatus(text::kBuildingHeader);
        for (std::size_t i = 0; i < request.fields.size(); ++i) {
            run.buffer += i == 0 ? std::string_view() : headerSeparator(request.delimiter);
            appendValue(run.buffer, request.fields[i], delimiter);
        }
        run.buffer += kLineEnd;
    }

    // One line per record that passes the filters.
    m_status.showStatus(text::kBuildingRecord);
    filters::ExclusionFilterValues entry;
    // After a stop or a failed write the remaining records are passed over unread.
    bool writing = true;
    auto visit = [&](const std::vector<std::string_view>& values) {
        writing = writing && !run.stop.stop_requested();
        if (!writing) {
            return;
        }
        std::string_view row[kFullNameSlot + 1];
        if (exclusion) {
            entry = {values[0], values[1]};
            row[0] = values[0];
            row[1] = values[1];
        } else {
            for (std::size_t i = 0; i < store::kRecipientTextFields; ++i) {
                run.record.fields[i].assign(values[i]);
                row[i] = run.record.fields[i];
            }
            run.record.dateAdded.assign(values[kDateAddedSlot]);
            row[kDateAddedSlot] = run.record.dateAdded;
            run.fullName = fullName(run.record);
            row[kFullNameSlot] = run.fullName;
        }
        if (!run.filters.isEmpty()) {
            const auto verdict = exclusion ? filters::filterExportedExclusion(run.filters, entry, m_prompter, m_status)
                                           : filters::filterExportedRecipient(run.filters, {run.record, run.fullName},
                                                                              m_prompter, m_status);
            run.metError = run.metError || verdict.metError;
            if (verdict.filtered) {
                ++run.counts.ignored;
                if (run.counts.ignored % kPublishEvery == 0) {
                    publish(run.counts);
                }
                return;
            }
        }
        for (std::size_t i = 0; i < run.slots.size(); ++i) {
            if (i != 0) {
                run.buffer += delimiter;
            }
            appendValue(run.buffer, row[run.slots[i]], delimiter);
        }
        run.buffer += kLineEnd;
        ++run.counts.exported;
        if (run.counts.exported % kPublishEvery == 0) {
            publish(run.counts);
        }
        writing = run.buffer.size() < kFlushAt || run.flush();
    };
    auto read = source.readRecords(INT64_MAX, run.columns, visit);
    if (!read) {
        run.error = read.error();
    }
    const bool flushed = run.flush();
    if (std::fclose(run.output.release()) != 0 && !run.error) {
        run.error = writeError(request.output);
    }
    return read && flushed && !run.error;
}

} // namespace tidecast::transfer
