#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::filters
{

// Where a rule is made. The context decides the prefix of the rule text and the field names the
// filter dialog offers; the evaluators never look at the prefix, so a rule saved in one list works
// in any other list whose field names match.
enum class FilterContext
{
    Import,             // delimited data with separate name fields
    ImportOneNameField, // delimited data, the whole name in one field
    ImportHarvest,      // addresses harvested from any other data
    Send,
    ExclusionImport,
    Export,
};

enum class FilterKind
{
    Include, // the candidate must match
    Ignore,  // the candidate must not match
};

enum class FilterComparison
{
    Equals,
    Contains,
    StartsWith,
    EndsWith,
    Unknown, // any other word: the rule fails every candidate
};

// The fields a rule can name. The first twenty follow the order in which the filter dialog offers
// them; the last three exist only in one context each.
enum class FilterField : std::uint8_t
{
    EmailAddress,
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
    FullNameMacro, // import: the whole-name field before it is split
    FullName,      // group export: the full name the export builds
    GroupName,     // exclusion-list export: the group an entry is recorded against
    Unknown,       // a name no evaluator knows: its value is empty
};

inline constexpr std::size_t kRecipientFilterFields = 20;

inline constexpr std::string_view kIgnoreMarker = "IGNORE";
inline constexpr std::string_view kCaseSensitiveMarker = "-CS";

// The four comparison words in the order the filter dialog lists them.
const std::vector<std::string>& filterComparisonWords();
std::string_view comparisonWord(FilterComparison comparison); // empty for Unknown
FilterComparison comparisonFromWord(std::string_view word);   // exact spelling

// "Email Address", "Salutation / Title", ... "Group Name"; empty for Unknown.
std::string_view filterFieldName(FilterField field);
// Field names compare without regard to case; anything else is Unknown.
FilterField filterFieldFromName(std::string_view name);

// "Import where '", "Send where '" or "Export where '".
std::string_view filterPrefix(FilterContext context);

// The field names the filter dialog offers, in order. For the export context they are the
// export's own field list without "Date Added" and "Full Name".
std::vector<std::string> filterFieldsOffered(FilterContext context, std::span<const std::string> exportFields = {});

// The text of a rule: the only form in which a rule is stored, shown, saved and evaluated.
// The value loses its leading and trailing blanks.
std::string buildFilterRule(FilterContext context, FilterKind kind, std::string_view field, std::string_view comparison,
                            std::string_view value, bool caseSensitive);

// A rule line taken apart. Every evaluator and the dialog's modify mode use this one parse:
// the field lies between the first and second apostrophe, the comparison (trimmed) between the
// second and third, the value (not trimmed) between the third and fourth. A value therefore
// ends at its own first apostrophe, and "-CS" anywhere in the line, even inside the value, makes
// the rule case-sensitive. A part whose opening apostrophe is missing is empty; a part whose
// closing apostrophe is missing runs to the end of the line.
struct FilterRule
{
    FilterKind kind = FilterKind::Include;
    std::string field;
    std::string comparison;
    std::string value;
    bool caseSensitive = false;
};

FilterRule parseFilterRule(std::string_view line);

} // namespace tidecast::filters
