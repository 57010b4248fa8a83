#include "filters/FilterRule.h"

#include <gtest/gtest.h>

namespace tidecast::filters
{
namespace
{

TEST(FilterRule, BuildsTheTextOfEveryContextAndKind)
{
    struct Case
    {
        FilterContext context;
        FilterKind kind;
        std::string_view field;
        std::string_view comparison;
        std::string_view value;
        bool caseSensitive;
        std::string_view expected;
    };
    const Case cases[] = {
        {FilterContext::Import, FilterKind::Include, "City", "Equals", "London", false,
         "Import where 'City'  Equals 'London'"},
        {FilterContext::ImportOneNameField, FilterKind::Include, "Full Name Macro", "Contains", "Smith", true,
         "Import where 'Full Name Macro'  Contains 'Smith' -CS"},
        {FilterContext::ImportHarvest, FilterKind::Include, "Email Address", "Ends with", ".org", false,
         "Import where 'Email Address'  Ends with '.org'"},
        {FilterContext::ExclusionImport, FilterKind::Include, "Email Address", "Starts with", "info@", false,
         "Import where 'Email Address'  Starts with 'info@'"},
        {FilterContext::Send, FilterKind::Include, "Zip / Post Code", "Starts with", "  SW1 ", false,
         "Send where 'Zip / Post Code'  Starts with 'SW1'"},
        {FilterContext::Export, FilterKind::Include, "Group Name", "Equals", "", true,
         "Export where 'Group Name'  Equals '' -CS"},
        // An ignore rule carries no context and only one blank after the field name.
        {FilterContext::Send, FilterKind::Ignore, "Email Address", "Ends with", ".org", false,
         "IGNORE where 'Email Address' Ends with '.org'"},
        {FilterContext::Export, FilterKind::Ignore, "City", "Equals", "Paris", true,
         "IGNORE where 'City' Equals 'Paris' -CS"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buildFilterRule(c.context, c.kind, c.field, c.comparison, c.value, c.caseSensitive), c.expected);
    }
}

TEST(FilterRule, ParsesByApostrophes)
{
    struct Case
    {
        std::string_view line;
        FilterKind kind;
        std::string_view field;
        std::string_view comparison;
        std::string_view value;
        bool caseSensitive;
    };
    const Case cases[] = {
        {"Send where 'City'  Equals 'London'", FilterKind::Include, "City", "Equals", "London", false},
        {"IGNORE where 'Email Address' Ends with '.org' -CS", FilterKind::Ignore, "Email Address", "Ends with", ".org",
         true},
        // The value is not trimmed; the comparison is.
        {"Import where 'City'   Starts with  ' Lon '", FilterKind::Include, "City", "Starts with", " Lon ", false},
        // An apostrophe inside the value ends it.
        {"Send where 'Last Name'  Equals 'O'Brien'", FilterKind::Include, "Last Name", "Equals", "O", false},
        // "-CS" anywhere makes the rule case-sensitive, even inside the value.
        {"Send where 'Company Name'  Contains 'ACME-CS Ltd'", FilterKind::Include, "Company Name", "Contains",
         "ACME-CS Ltd", true},
        // Only the exact word IGNORE at the start makes an ignore rule; the prefix is never checked.
        {"ignore where 'City' Equals 'X'", FilterKind::Include, "City", "Equals", "X", false},
        {"Whatever 'City'  Equals 'X'", FilterKind::Include, "City", "Equals", "X", false},
        // Lines that are not rules parse to parts no evaluator knows.
        {"just some text", FilterKind::Include, "", "", "", false},
        {"Send where 'City'  Equals 'Lon", FilterKind::Include, "City", "Equals", "Lon", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        FilterRule rule = parseFilterRule(c.line);
        EXPECT_EQ(rule.kind, c.kind);
        EXPECT_EQ(rule.field, c.field);
        EXPECT_EQ(rule.comparison, c.comparison);
        EXPECT_EQ(rule.value, c.value);
        EXPECT_EQ(rule.caseSensitive, c.caseSensitive);
    }
}

TEST(FilterRule, OffersFieldsByContext)
{
    auto twenty = filterFieldsOffered(FilterContext::Send);
    ASSERT_EQ(twenty.size(), 20U);
    EXPECT_EQ(twenty.front(), "Email Address");
    EXPECT_EQ(twenty[1], "Salutation / Title");
    EXPECT_EQ(twenty[4], "Last Name");
    EXPECT_EQ(twenty.back(), "Additional Field 4");
    EXPECT_EQ(filterFieldsOffered(FilterContext::Import), twenty);

    auto oneName = filterFieldsOffered(FilterContext::ImportOneNameField);
    ASSERT_EQ(oneName.size(), 17U);
    EXPECT_EQ(oneName[0], "Email Address");
    EXPECT_EQ(oneName[1], "Full Name Macro");
    EXPECT_EQ(oneName[2], "Address1");
    EXPECT_EQ(oneName.back(), "Additional Field 4");

    const std::vector<std::string> onlyAddress{"Email Address"};
    EXPECT_EQ(filterFieldsOffered(FilterContext::ImportHarvest), onlyAddress);
    EXPECT_EQ(filterFieldsOffered(FilterContext::ExclusionImport), onlyAddress);

    const std::vector<std::string> exportFields{"Email Address", "Full Name", "City", "Date Added", "Group Name"};
    EXPECT_EQ(filterFieldsOffered(FilterContext::Export, exportFields),
              (std::vector<std::string>{"Email Address", "City", "Group Name"}));
}

} // namespace
} // namespace tidecast::filters
