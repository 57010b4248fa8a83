#include "filters/FilterEditor.h"

#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace tidecast::filters
{
namespace
{

TEST(FilterEditor, AcceptsRefusesAndModifies)
{
    ScriptedPrompter prompter;
    FilterList list;

    // An empty value is refused with any comparison but "Equals".
    FilterDraft draft{FilterKind::Include, "City", "Contains", "  ", false};
    EXPECT_EQ(acceptFilterDraft(list, FilterContext::Send, draft, std::nullopt, prompter),
              FilterAcceptStatus::ValueMissing);
    EXPECT_TRUE(list.empty());
    draft.comparison = "Equals";
    EXPECT_EQ(acceptFilterDraft(list, FilterContext::Send, draft, std::nullopt, prompter),
              FilterAcceptStatus::Accepted);
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {std::string(kFilterValueMissingMessage), Icon::Exclamation, false}}));

    FilterDraft london{FilterKind::Include, "City", "Equals", "London", false};
    FilterDraft org{FilterKind::Ignore, "Email Address", "Ends with", ".org", true};
    ASSERT_EQ(acceptFilterDraft(list, FilterContext::Send, london, std::nullopt, prompter),
              FilterAcceptStatus::Accepted);
    ASSERT_EQ(acceptFilterDraft(list, FilterContext::Send, org, std::nullopt, prompter), FilterAcceptStatus::Accepted);
    const FilterList three{"Send where 'City'  Equals ''", "Send where 'City'  Equals 'London'",
                           "IGNORE where 'Email Address' Ends with '.org' -CS"};
    ASSERT_EQ(list, three);

    // The same text again is a duplicate, also when it comes from modifying another line.
    prompter.clear();
    london.value = " London ";
    EXPECT_EQ(acceptFilterDraft(list, FilterContext::Send, london, std::nullopt, prompter),
              FilterAcceptStatus::Duplicate);
    EXPECT_EQ(acceptFilterDraft(list, FilterContext::Send, london, 2, prompter), FilterAcceptStatus::Duplicate);
    EXPECT_EQ(list, three);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>(2, std::string(kFilterDuplicateMessage))));
    EXPECT_EQ(prompter.log()[0].icon, Icon::Information);

    // Modifying the second of three moves it to the end, even unchanged.
    FilterDraft second = draftFromRule(list[1]);
    EXPECT_EQ(second.kind, FilterKind::Include);
    EXPECT_EQ(second.field, "City");
    EXPECT_EQ(second.comparison, "Equals");
    EXPECT_EQ(second.value, "London");
    EXPECT_FALSE(second.caseSensitive);
    EXPECT_EQ(acceptFilterDraft(list, FilterContext::Import, second, 1, prompter), FilterAcceptStatus::Accepted);
    EXPECT_EQ(list, (FilterList{three[0], three[2], "Import where 'City'  Equals 'London'"}));
    second.caseSensitive = true;
    EXPECT_EQ(acceptFilterDraft(list, FilterContext::Import, second, 2, prompter), FilterAcceptStatus::Accepted);
    EXPECT_EQ(list.back(), "Import where 'City'  Equals 'London' -CS");

    FilterDraft ignored = draftFromRule(three[2]);
    EXPECT_EQ(ignored.kind, FilterKind::Ignore);
    EXPECT_TRUE(ignored.caseSensitive);
    EXPECT_EQ(ignored.comparison, "Ends with");
}

TEST(FilterEditor, MovesKeepTheSelectionAndStopAtTheEnds)
{
    FilterList list{"a", "b", "c"};
    EXPECT_EQ(moveFilterUp(list, 0), 0U);
    EXPECT_EQ(moveFilterDown(list, 2), 2U);
    EXPECT_EQ(list, (FilterList{"a", "b", "c"}));
    EXPECT_EQ(moveFilterDown(list, 0), 1U);
    EXPECT_EQ(list, (FilterList{"b", "a", "c"}));
    EXPECT_EQ(moveFilterUp(list, 2), 1U);
    EXPECT_EQ(list, (FilterList{"b", "c", "a"}));
    EXPECT_EQ(moveFilterUp(list, std::nullopt), std::nullopt);
    EXPECT_FALSE(removeFilter(list, std::nullopt));
    EXPECT_TRUE(removeFilter(list, 1));
    EXPECT_EQ(list, (FilterList{"b", "a"}));
}

} // namespace
} // namespace tidecast::filters
