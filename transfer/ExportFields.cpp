#include "transfer/ExportFields.h"

#include "common/Text.h"

#include <array>
#include <utility>

namespace tidecast::transfer
{

namespace
{

constexpr std::array<std::pair<std::string_view, std::string_view>, 23> kColumns = {{
    {"Email Address", "EMailAddress"},
    {"Full Name", ""},
    {"Salutation / Title", "Title"},
    {"First Name", "FirstName"},
    {"Initial", "Initial"},
    {"Last Name", "LastName"},
    {"Address1", "Address1"},
    {"Address2", "Address2"},
    {"City", "City"},
    {"State / County", "State"},
    {"Zip / Post Code", "Zip"},
    {"Country", "Country"},
    {"Company Name", "Company"},
    {"Job Title", "JobTitle"},
    {"WEB URL", "Web"},
    {"Telephone", "Telephone"},
    {"FAX", "Fax"},
    {"Additional Field 1", "Field1"},
    {"Additional Field 2", "Field2"},
    {"Additional Field 3", "Field3"},
    {"Additional Field 4", "Field4"},
    {"Date Added", "DateAdded"},
    {"Group Name", "Group"},
}};

constexpr std::size_t kRecipientLabels = kColumns.size() - 1; // all but "Group Name"

} // namespace

const std::vector<std::string>& exportFieldLabels(ExportSource source)
{
    static const std::vector<std::string> recipients = [] {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < kRecipientLabels; ++i) {
            out.emplace_back(kColumns[i].first);
        }
        return out;
    }();
    static const std::vector<std::string> exclusions{"Email Address", std::string(kGroupNameLabel)};
    return source == ExportSource::Recipients ? recipients : exclusions;
}

const std::vector<std::string>& exportSortLabels(ExportSource source)
{
    static const std::vector<std::string> recipients = [] {
        auto out = exportFieldLabels(ExportSource::Recipients);
        std::erase(out, std::string(kFullNameLabel));
        return out;
    }();
    return source == ExportSource::Recipients ? recipients : exportFieldLabels(source);
}

std::optional<std::string_view> columnName(std::string_view label)
{
    for (const auto& [name, column] : kColumns) {
        if (name == label && !column.empty()) {
            return column;
        }
    }
    return std::nullopt;
}

std::string fullName(const store::RecipientRecord& record)
{
    using store::RecipientField;
    const std::string joined = record.get(RecipientField::Title) + " " + record.get(RecipientField::FirstName) + " " +
                               record.get(RecipientField::LastName);
    return std::string(trimBlanks(joined));
}

const std::vector<std::string>& delimiterNames()
{
    static const std::vector<std::string> names{"COMMA", "TAB", "SPACES", ";"};
    return names;
}

std::string_view delimiterName(ExportDelimiter delimiter)
{
    return delimiterNames()[static_cast<std::size_t>(delimiter)];
}

char delimiterCharacter(ExportDelimiter delimiter)
{
    switch (delimiter) {
    case ExportDelimiter::Comma:
        return ',';
    case ExportDelimiter::Tab:
        return '\t';
    case ExportDelimiter::Spaces:
        return ' ';
    case ExportDelimiter::Semicolon:
        return ';';
    }
    return ',';
}

std::string_view headerSeparator(ExportDelimiter delimiter)
{
    switch (delimiter) {
    case ExportDelimiter::Comma:
        return ", ";
    case ExportDelimiter::Tab:
        return "\t";
    case ExportDelimiter::Spaces:
        return " ";
    case ExportDelimiter::Semicolon:
        return "; ";
    }
    return ", ";
}

void appendValue(std::string& line, std::string_view value, char delimiter)
{
    bool quote = false;
    for (const char c : value) {
        if (c == delimiter || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line += value;
        return;
    }
    line += '"';
    for (const char c : value) {
        if (c == '"') {
            line += '"';
        }
        line += c;
    }
    line += '"';
}

} // namespace tidecast::transfer
