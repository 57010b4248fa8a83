#include "filters/FilterEvaluators.h"

#include "store/RecipientStore.h"

#include <array>
#include <cassert>

namespace tidecast::filters
{

namespace
{

constexpr std::string_view kImportTag = "RunFilters Error: ";
constexpr std::string_view kExclusionImportTag = "EXRunFilters Error: ";
constexpr std::string_view kExportTag = "RunFilters (Export) Error: ";
constexpr std::string_view kExclusionExportTag = "RunEXFilters (Export) Error: ";
constexpr std::string_view kSendTag = "IsFiltered Error: ";

// The recipient column behind each of the twenty recipient filter fields.
const std::array<store::RecipientField, kRecipientFilterFields>& recipientColumns()
{
    static const auto table = [] {
        std::array<store::RecipientField, kRecipientFilterFields> columns{};
        for (std::size_t i = 0; i < kRecipientFilterFields; ++i) {
            auto column = store::recipientFieldByLabel(filterFieldName(static_cast<FilterField>(i)));
            assert(column.has_value());
            columns[i] = *column;
        }
        return columns;
    }();
    return table;
}

std::optional<store::RecipientField> recipientColumn(FilterField field)
{
    auto index = static_cast<std::size_t>(field);
    if (index < kRecipientFilterFields) {
        return recipientColumns()[index];
    }
    return std::nullopt;
}

// A recipient record plus one field that only its context knows.
class RecordSource final : public FilterFieldSource
{
public:
    RecordSource(const store::RecipientRecord& record, FilterField extraField, std::string_view extraValue)
        : m_record(record)
        , m_extraField(extraField)
        , m_extraValue(extraValue)
    {}

    Result<std::string_view> value(FilterField field) const override
    {
        if (auto column = recipientColumn(field)) {
            return std::string_view(m_record.get(*column));
        }
        return field == m_extraField ? m_extraValue : std::string_view{};
    }

private:
    const store::RecipientRecord& m_record;
    FilterField m_extraField;
    std::string_view m_extraValue;
};

class AddressSource final : public FilterFieldSource
{
public:
    explicit AddressSource(std::string_view address)
        : m_address(address)
    {}

    Result<std::string_view> value(FilterField) const override { return m_address; }

private:
    std::string_view m_address;
};

class ExclusionSource final : public FilterFieldSource
{
public:
    explicit ExclusionSource(const ExclusionFilterValues& entry)
        : m_entry(entry)
    {}

    Result<std::string_view> value(FilterField field) const override
    {
        switch (field) {
        case FilterField::EmailAddress:
            return m_entry.address;
        case FilterField::GroupName:
            return m_entry.groupName;
        default:
            return std::string_view{};
        }
    }

private:
    const ExclusionFilterValues& m_entry;
};

// Reads the open group file's current record column by column.
class StoreSource final : public FilterFieldSource
{
public:
    explicit StoreSource(const store::RecipientStore& group)
        : m_group(group)
    {}

    Result<std::string_view> value(FilterField field) const override
    {
        auto column = recipientColumn(field);
        if (!column) {
            return std::string_view{};
        }
        m_value = m_group.field(store::recipientFieldInfo(*column).name);
        return std::string_view(m_value);
    }

private:
    const store::RecipientStore& m_group;
    mutable std::string m_value;
};

void showError(std::string_view tag, const Error& error, Prompter& prompter)
{
    std::string text(tag);
    text.append(std::to_string(error.number)).append(" - ").append(error.detail);
    prompter.message(text, Icon::Exclamation);
}

FilterVerdict report(const FilterOutcome& outcome, std::string_view tag, Prompter& prompter)
{
    if (outcome.error) {
        showError(tag, *outcome.error, prompter);
        return {false, {}, true};
    }
    return {!outcome.passed, outcome.failedRule, false};
}

FilterVerdict evaluateWithStatus(const FilterSet& filters, const FilterFieldSource& source, std::string_view tag,
                                 Prompter& prompter, StatusSink& status)
{
    if (filters.isEmpty()) {
        return {};
    }
    status.showStatus(kApplyingFiltersStatus);
    return report(filters.evaluate(source), tag, prompter);
}

int digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

FilterVerdict checkDates(const DateFilters& dates, std::string_view dateAdded, Prompter& prompter)
{
    if (!dates.afterOn && !dates.beforeOn) {
        return {};
    }
    auto added = parseDateAdded(dateAdded);
    if (!added) {
        showError(kSendTag,
                  {ErrorCode::InvalidArgument, "Date Added is not a valid date: '" + std::string(dateAdded) + "'",
                   kUnreadableDateError},
                  prompter);
        return {false, {}, true};
    }
    using std::chrono::days;
    using std::chrono::sys_days;
    if (dates.afterOn && sys_days(dates.after) - sys_days(*added) > days(0)) {
        return {true, kAfterDateFilterName, false};
    }
    if (dates.beforeOn && sys_days(*added) - sys_days(dates.before) >= days(0)) {
        return {true, kBeforeDateFilterName, false};
    }
    return {};
}

FilterVerdict isFiltered(const FilterSet& filters, const DateFilters& dates, std::string_view dateAdded,
                         const FilterFieldSource& source, Prompter& prompter, StatusSink& status)
{
    status.showStatus(kCheckingFilterListStatus);
    FilterVerdict verdict = checkDates(dates, dateAdded, prompter);
    if (verdict.filtered || verdict.metError) {
        return verdict;
    }
    return evaluateWithStatus(filters, source, kSendTag, prompter, status);
}

} // namespace

std::optional<std::chrono::year_month_day> parseDateAdded(std::string_view text)
{
    constexpr std::size_t kDateLength = 10;
    if (text.size() < kDateLength || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    if (text.size() > kDateLength && text[kDateLength] != ' ' && text[kDateLength] != 'T') {
        return std::nullopt;
    }
    int year = digitsAt(text, 0, 4);
    int month = digitsAt(text, 5, 2);
    int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0) {
        return std::nullopt;
    }
    std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                     std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

FilterVerdict filterImportedRecipient(const FilterSet& filters, const ImportFilterValues& candidate, Prompter& prompter)
{
    if (filters.isEmpty()) {
        return {};
    }
    RecordSource source(candidate.record, FilterField::FullNameMacro, candidate.wholeName);
    return report(filters.evaluate(source), kImportTag, prompter);
}

FilterVerdict filterImportedExclusion(const FilterSet& filters, std::string_view address, Prompter& prompter,
                                      StatusSink& status)
{
    return evaluateWithStatus(filters, AddressSource(address), kExclusionImportTag, prompter, status);
}

FilterVerdict filterExportedRecipient(const FilterSet& filters, const ExportFilterValues& candidate, Prompter& prompter,
                                      StatusSink& status)
{
    return evaluateWithStatus(filters, RecordSource(candidate.record, FilterField::FullName, candidate.fullName),
                              kExportTag, prompter, status);
}

FilterVerdict filterExportedExclusion(const FilterSet& filters, const ExclusionFilterValues& candidate,
                                      Prompter& prompter, StatusSink& status)
{
    return evaluateWithStatus(filters, ExclusionSource(candidate), kExclusionExportTag, prompter, status);
}

FilterVerdict filterMailingRecipient(const FilterSet& filters, const DateFilters& dates,
                                     const store::RecipientStore& group, Prompter& prompter, StatusSink& status)
{
    std::string dateAdded = dates.afterOn || dates.beforeOn ? group.field(store::kDateAddedField) : std::string();
    return isFiltered(filters, dates, dateAdded, StoreSource(group), prompter, status);
}

FilterVerdict filterMailingRecipient(const FilterSet& filters, const DateFilters& dates,
                                     const store::RecipientRecord& recipient, Prompter& prompter, StatusSink& status)
{
    return isFiltered(filters, dates, recipient.dateAdded, RecordSource(recipient, FilterField::Unknown, {}), prompter,
                      status);
}

} // namespace tidecast::filters
