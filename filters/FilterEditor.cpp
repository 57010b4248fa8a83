#include "filters/FilterEditor.h"

#include "common/Text.h"

#include <utility>

namespace tidecast::filters
{

std::string_view filterDialogCaption(FilterContext context)
{
    switch (context) {
    case FilterContext::Send:
        return "Create a new Send Filter";
    case FilterContext::Export:
        return "Create an Export Filter";
    case FilterContext::Import:
    case FilterContext::ImportOneNameField:
    case FilterContext::ImportHarvest:
    case FilterContext::ExclusionImport:
        break;
    }
    return "Create a new Import Filter";
}

std::string_view includeOptionText(FilterContext context)
{
    switch (context) {
    case FilterContext::Send:
        return "Only Send to recipients where the following criteria is met:";
    case FilterContext::Export:
        return "ONLY Export recipients where the following criteria is met:";
    case FilterContext::Import:
    case FilterContext::ImportOneNameField:
    case FilterContext::ImportHarvest:
    case FilterContext::ExclusionImport:
        break;
    }
    return "ONLY Import recipients where the following criteria is met:";
}

FilterDraft draftFromRule(std::string_view line)
{
    FilterRule rule = parseFilterRule(line);
    return {rule.kind, std::move(rule.field), std::move(rule.comparison), std::move(rule.value), rule.caseSensitive};
}

FilterAcceptStatus acceptFilterDraft(FilterList& list, FilterContext context, const FilterDraft& draft,
                                     std::optional<std::size_t> modifying, Prompter& prompter)
{
    if (trimBlanks(draft.value).empty() && draft.comparison != comparisonWord(FilterComparison::Equals)) {
        prompter.message(kFilterValueMissingMessage, Icon::Exclamation);
        return FilterAcceptStatus::ValueMissing;
    }
    std::string rule =
        buildFilterRule(context, draft.kind, draft.field, draft.comparison, draft.value, draft.caseSensitive);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == rule && (!modifying || *modifying != i)) {
            prompter.message(kFilterDuplicateMessage, Icon::Information);
            return FilterAcceptStatus::Duplicate;
        }
    }
    if (modifying && *modifying < list.size()) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(*modifying));
    }
    list.push_back(std::move(rule));
    return FilterAcceptStatus::Accepted;
}

bool removeFilter(FilterList& list, std::optional<std::size_t> selected)
{
    if (!selected || *selected >= list.size()) {
        return false;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(*selected));
    return true;
}

std::optional<std::size_t> moveFilterUp(FilterList& list, std::optional<std::size_t> selected)
{
    if (!selected || *selected >= list.size() || *selected == 0) {
        return selected;
    }
    std::swap(list[*selected], list[*selected - 1]);
    return *selected - 1;
}

std::optional<std::size_t> moveFilterDown(FilterList& list, std::optional<std::size_t> selected)
{
    if (!selected || *selected + 1 >= list.size()) {
        return selected;
    }
    std::swap(list[*selected], list[*selected + 1]);
    return *selected + 1;
}

} // namespace tidecast::filters
