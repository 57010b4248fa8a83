#include "filters/FilterRule.h"

#include "common/Text.h"

#include <array>

namespace tidecast::filters
{

namespace
{

constexpr std::array<std::string_view, static_cast<std::size_t>(FilterField::Unknown)> kFieldNames = {
    "Email Address",
    "Salutation / Title",
    "First Name",
    "Initial",
    "Last Name",
    "Address1",
    "Address2",
    "City",
    "State / County",
    "Zip / Post Code",
    "Country",
    "Company Name",
    "Job Title",
    "WEB URL",
    "Telephone",
    "FAX",
    "Additional Field 1",
    "Additional Field 2",
    "Additional Field 3",
    "Additional Field 4",
    "Full Name Macro",
    "Full Name",
    "Group Name",
};

constexpr std::string_view kDateAddedName = "Date Added";

std::vector<std::string> namesOf(std::initializer_list<FilterField> fields)
{
    std::vector<std::string> names;
    for (FilterField field : fields) {
        names.emplace_back(filterFieldName(field));
    }
    return names;
}

std::vector<std::string> recipientFieldNames(FilterField from)
{
    std::vector<std::string> names;
    for (auto i = static_cast<std::size_t>(from); i < kRecipientFilterFields; ++i) {
        names.emplace_back(kFieldNames[i]);
    }
    return names;
}

} // namespace

const std::vector<std::string>& filterComparisonWords()
{
    static const std::vector<std::string> words = {"Equals", "Contains", "Starts with", "Ends with"};
    return words;
}

std::string_view comparisonWord(FilterComparison comparison)
{
    switch (comparison) {
    case FilterComparison::Equals:
        return "Equals";
    case FilterComparison::Contains:
        return "Contains";
    case FilterComparison::StartsWith:
        return "Starts with";
    case FilterComparison::EndsWith:
        return "Ends with";
    case FilterComparison::Unknown:
        break;
    }
    return {};
}

FilterComparison comparisonFromWord(std::string_view word)
{
    for (auto comparison : {FilterComparison::Equals, FilterComparison::Contains, FilterComparison::StartsWith,
                            FilterComparison::EndsWith}) {
        if (word == comparisonWord(comparison)) {
            return comparison;
        }
    }
    return FilterComparison::Unknown;
}

std::string_view filterFieldName(FilterField field)
{
    auto index = static_cast<std::size_t>(field);
    return index < kFieldNames.size() ? kFieldNames[index] : std::string_view{};
}

FilterField filterFieldFromName(std::string_view name)
{
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (equalsIgnoreCase(kFieldNames[i], name)) {
            return static_cast<FilterField>(i);
        }
    }
    return FilterField::Unknown;
}

std::string_view filterPrefix(FilterContext context)
{
    switch (context) {
    case FilterContext::Send:
        return "Send where '";
    case FilterContext::Export:
        return "Export where '";
    case FilterContext::Import:
    case FilterContext::ImportOneNameField:
    case FilterContext::ImportHarvest:
    case FilterContext::ExclusionImport:
        break;
    }
    return "Import where '";
}

std::vector<std::string> filterFieldsOffered(FilterContext context, std::span<const std::string> exportFields)
{
    switch (context) {
    case FilterContext::Import:
    case FilterContext::Send:
        return recipientFieldNames(FilterField::EmailAddress);
    case FilterContext::ImportOneNameField: {
        auto names = namesOf({FilterField::EmailAddress, FilterField::FullNameMacro});
        auto rest = recipientFieldNames(FilterField::Address1);
        names.insert(names.end(), rest.begin(), rest.end());
        return names;
    }
    case FilterContext::ImportHarvest:
    case FilterContext::ExclusionImport:
        return namesOf({FilterField::EmailAddress});
    case FilterContext::Export: {
        std::vector<std::string> names;
        for (const auto& name : exportFields) {
            if (name != kDateAddedName && name != filterFieldName(FilterField::FullName)) {
                names.push_back(name);
            }
        }
        return names;
    }
    }
    return {};
}

std::string buildFilterRule(FilterContext context, FilterKind kind, std::string_view field, std::string_view comparison,
                            std::string_view value, bool caseSensitive)
{
    std::string text;
    if (kind == FilterKind::Ignore) {
        // An ignore rule has one blank after the field name where an include rule has two.
        text.append(kIgnoreMarker).append(" where '").append(field).append("' ");
    } else {
        text.append(filterPrefix(context)).append(field).append("'  ");
    }
    text.append(comparison).append(" '").append(trimBlanks(value)).append("'");
    if (caseSensitive) {
        text.append(" ").append(kCaseSensitiveMarker);
    }
    return text;
}

FilterRule parseFilterRule(std::string_view line)
{
    // Positions of the first four apostrophes; npos where the line has fewer.
    std::array<std::size_t, 4> quote{};
    std::size_t from = 0;
    for (auto& position : quote) {
        position = from == std::string_view::npos ? std::string_view::npos : line.find('\'', from);
        from = position == std::string_view::npos ? std::string_view::npos : position + 1;
    }
    auto part = [&](std::size_t opening) -> std::string_view {
        if (quote[opening] == std::string_view::npos) {
            return {};
        }
        std::size_t begin = quote[opening] + 1;
        std::size_t end = quote[opening + 1] == std::string_view::npos ? line.size() : quote[opening + 1];
        return line.substr(begin, end - begin);
    };

    FilterRule rule;
    rule.kind = line.starts_with(kIgnoreMarker) ? FilterKind::Ignore : FilterKind::Include;
    rule.field = part(0);
    rule.comparison = trimBlanks(part(1));
    rule.value = part(2);
    rule.caseSensitive = line.find(kCaseSensitiveMarker) != std::string_view::npos;
    return rule;
}

} // namespace tidecast::filters
