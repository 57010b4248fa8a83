#pragma once

#include "common/Result.h"
#include "filters/FilterRule.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::filters
{

// Where an evaluation gets a candidate's field values. The view must stay valid until the next
// call. A source that cannot read a value returns an error; the evaluation then lets the
// candidate pass and reports the error.
class FilterFieldSource
{
public:
    virtual ~FilterFieldSource() = default;

    virtual Result<std::string_view> value(FilterField field) const = 0;
};

struct FilterOutcome
{
    bool passed = true;
    std::string_view failedRule; // the whole text of the first rule that failed
    std::optional<Error> error;  // set when a value could not be read; the candidate then passes
};

// A filter list taken apart once for a whole run (an import, a mailing, an export), so each
// candidate costs only the comparisons. The rule texts stay the stored form; this is their
// parsed copy and lives no longer than the run. Empty lines are not rules and are skipped, so
// a send list holding one empty string has no rules. Evaluation keeps no state and may run on
// any thread.
class FilterSet
{
public:
    FilterSet() = default;
    explicit FilterSet(std::span<const std::string> lines);

    bool isEmpty() const { return m_rules.empty(); }
    std::size_t size() const { return m_rules.size(); }

    // Rules in list order; the first that fails decides. A list is a conjunction: the candidate
    // must satisfy every include rule and match no ignore rule.
    FilterOutcome evaluate(const FilterFieldSource& source) const;

private:
    struct CompiledRule
    {
        std::string text;
        FilterKind kind;
        FilterField field;
        FilterComparison comparison;
        bool caseSensitive;
        std::string value; // upper-cased when the rule ignores case
    };

    static bool holds(const CompiledRule& rule, std::string_view candidate);

    std::vector<CompiledRule> m_rules;
};

// Upper-cases ASCII letters and the letters of Latin-1, Latin Extended-A, Greek and Cyrillic.
// Each mapping keeps the byte length, so prefixes and suffixes stay aligned with the original.
void upperCaseInto(std::string_view text, std::string& out);

} // namespace tidecast::filters
