#pragma once

#include "common/Prompter.h"
#include "filters/FilterRule.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::filters
{

// An ordered list of rule texts, as a dialog holds it.
using FilterList = std::vector<std::string>;

inline constexpr std::string_view kIgnoreOptionText = "IGNORE recipients where the following criteria is met:";
inline constexpr std::string_view kFilterValueMissingMessage =
    "Please enter a field comparison for this filter. if you wish to compare to an empty field then please enter the "
    "work BLANK.";
inline constexpr std::string_view kFilterDuplicateMessage =
    "This filter has already been created and added to the list.";
inline constexpr std::string_view kSelectFilterFirstMessage = "Please select a valid Filter first.";
inline constexpr std::string_view kFiltersInSequenceNote =
    "Please note that the filters you have selected will be applied in sequence";

// The filter dialog's caption and the text of its include option.
std::string_view filterDialogCaption(FilterContext context);
std::string_view includeOptionText(FilterContext context);

// What the filter dialog has gathered for the selected kind.
struct FilterDraft
{
    FilterKind kind = FilterKind::Include;
    std::string field;
    std::string comparison = "Equals";
    std::string value;
    bool caseSensitive = false;
};

// The dialog's entries for modifying an existing line.
FilterDraft draftFromRule(std::string_view line);

enum class FilterAcceptStatus
{
    Accepted,     // the rule was appended (a modified rule moves to the end); close the dialog
    ValueMissing, // the message was shown; the value box should get the focus
    Duplicate,    // the message was shown; the dialog stays open
};

// The dialog's OK: an empty value is accepted only with "Equals" (it matches an empty field);
// an identical line already in the list is refused, except the line being modified.
FilterAcceptStatus acceptFilterDraft(FilterList& list, FilterContext context, const FilterDraft& draft,
                                     std::optional<std::size_t> modifying, Prompter& prompter);

// List editing. Nothing changes without a valid selection. Remove says whether a line went;
// the moves return the selection afterwards: the moved line, which stays put at either end.
bool removeFilter(FilterList& list, std::optional<std::size_t> selected);
std::optional<std::size_t> moveFilterUp(FilterList& list, std::optional<std::size_t> selected);
std::optional<std::size_t> moveFilterDown(FilterList& list, std::optional<std::size_t> selected);

} // namespace tidecast::filters
