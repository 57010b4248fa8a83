#include "filters/FilterEvaluators.h"

#include "store/RecipientStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>

namespace tidecast::filters
{
namespace
{

using store::RecipientField;
using store::RecipientRecord;
using namespace std::chrono_literals;

class RecordingStatus final : public StatusSink
{
public:
    void showStatus(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

RecipientRecord recipient(std::string_view email, std::string_view city, std::string_view company = "",
                          std::string_view dateAdded = "2026-03-10")
{
    RecipientRecord record;
    record.set(RecipientField::EmailAddress, std::string(email));
    record.set(RecipientField::City, std::string(city));
    record.set(RecipientField::Company, std::string(company));
    record.dateAdded = dateAdded;
    return record;
}

TEST(FilterEvaluators, EvaluateRulesInOrderAsOneConjunction)
{
    const std::string londonCi = "Send where 'City'  Equals 'London'";
    const std::string londonCs = "Send where 'City'  Equals 'London' -CS";
    const std::string ignoreOrg = "IGNORE where 'Email Address' Ends with '.org'";
    const std::string acmeCs = "Send where 'Company Name'  Equals 'Acme' -CS";
    const std::string lowerLondon = "Send where 'City'  Equals 'london'";
    const std::string longSuffix = "IGNORE where 'Email Address' Ends with 'averylongdomain.org'";
    const std::string longPrefix = "Send where 'Email Address'  Starts with 'a.org.uk'";
    const std::string noCity = "Send where 'City'  Equals ''";
    const std::string anyCity = "Send where 'City'  Contains ''";
    const std::string matchesIn = "Send where 'City'  Matches 'Leeds'";
    const std::string matchesOut = "IGNORE where 'City' Matches 'Leeds'";
    const std::string oHara = "Send where 'City'  Equals 'O'Hara'";
    const auto city = [](std::string_view name) { return recipient("a@b.com", name); };
    struct Case
    {
        std::string_view name;
        std::vector<std::string> rules;
        RecipientRecord candidate;
        std::string expectedReason; // empty: the candidate passes
    };
    const std::vector<Case> cases = {
        {"empty list", {}, city(""), ""},
        {"one empty line is no rule", {""}, city(""), ""},
        {"equals ignores case", {londonCi}, city("LONDON"), ""},
        {"equals fails another value", {londonCi}, city("Paris"), londonCi},
        {"case-sensitive equals", {londonCs}, city("LONDON"), londonCs},
        {"case-sensitive equals exact", {londonCs}, city("London"), ""},
        {"ignore matches any case", {ignoreOrg}, recipient("x@site.ORG", ""), ignoreOrg},
        {"ignore passes others", {ignoreOrg}, recipient("x@site.com", ""), ""},
        {"ignore with value longer than field", {longSuffix}, recipient("a.org", ""), ""},
        {"include with value longer than field", {longPrefix}, recipient("a.org", ""), longPrefix},
        {"starts with", {"Send where 'Email Address'  Starts with 'INFO@'"}, recipient("info@x.com", ""), ""},
        {"contains", {"Send where 'Company Name'  Contains 'cme'"}, recipient("a@b.com", "", "ACME Ltd"), ""},
        {"case-sensitive after insensitive", {lowerLondon, acmeCs}, recipient("a@b.com", "LONDON", "ACME"), acmeCs},
        {"insensitive after case-sensitive", {acmeCs, lowerLondon}, recipient("a@b.com", "LONDON", "Acme"), ""},
        {"first failing rule is reported", {londonCs, acmeCs}, recipient("a@b.com", "Paris", "Other"), londonCs},
        {"empty value with equals matches an empty field", {noCity}, city(""), ""},
        {"empty value with equals fails a filled field", {noCity}, city("Leeds"), noCity},
        {"empty value with contains passes a filled field", {anyCity}, city("Leeds"), ""},
        {"empty value with contains fails an empty field", {anyCity}, city(""), anyCity},
        {"unknown comparison fails an include rule", {matchesIn}, city("Leeds"), matchesIn},
        {"unknown comparison fails an ignore rule", {matchesOut}, city("York"), matchesOut},
        {"unknown field reads as empty", {"Send where 'Shoe Size'  Equals ''"}, city("York"), ""},
        {"apostrophe ends the value", {oHara}, city("o"), ""},
        {"apostrophe ends the value, so the full text fails", {oHara}, city("O'Hara"), oHara},
        {"letters beyond ASCII ignore case", {"Send where 'City'  Equals 'münchen'"}, recipient("a@b", "MÜNCHEN"), ""},
        {"a line that is not a rule fails everyone", {"just some words"}, city(""), "just some words"},
    };
    ScriptedPrompter prompter;
    NullStatusSink status;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FilterSet filters(c.rules);
        FilterVerdict verdict = filterMailingRecipient(filters, {}, c.candidate, prompter, status);
        EXPECT_EQ(verdict.filtered, !c.expectedReason.empty());
        EXPECT_EQ(verdict.reason, c.expectedReason);
        EXPECT_FALSE(verdict.metError);
        // The import and export evaluators share the same rules over the same record.
        EXPECT_EQ(filterImportedRecipient(filters, ImportFilterValues{c.candidate, ""}, prompter).filtered,
                  verdict.filtered);
        EXPECT_EQ(filterExportedRecipient(filters, ExportFilterValues{c.candidate, ""}, prompter, status).filtered,
                  verdict.filtered);
    }
    EXPECT_TRUE(prompter.log().empty());
}

TEST(FilterEvaluators, EachEvaluatorTakesValuesFromItsOwnSource)
{
    ScriptedPrompter prompter;
    NullStatusSink status;
    RecipientRecord person = recipient("jo@example.org", "Leeds");

    FilterSet wholeName(std::vector<std::string>{"Import where 'Full Name Macro'  Starts with 'Jo '"});
    EXPECT_FALSE(filterImportedRecipient(wholeName, ImportFilterValues{person, "Jo Smith"}, prompter).filtered);
    EXPECT_TRUE(filterExportedRecipient(wholeName, ExportFilterValues{person, "Jo Smith"}, prompter, status).filtered);

    FilterSet fullName(std::vector<std::string>{"Export where 'Full Name'  Equals 'Jo Smith'"});
    EXPECT_FALSE(filterExportedRecipient(fullName, ExportFilterValues{person, "Jo Smith"}, prompter, status).filtered);
    EXPECT_TRUE(filterImportedRecipient(fullName, ImportFilterValues{person, "Jo Smith"}, prompter).filtered);

    // The exclusion import compares every rule with the address, whatever field it names.
    FilterSet anyField(std::vector<std::string>{"Import where 'City'  Ends with 'example.org'"});
    EXPECT_FALSE(filterImportedExclusion(anyField, "ann@example.org", prompter, status).filtered);
    EXPECT_TRUE(filterImportedExclusion(anyField, "ann@example.com", prompter, status).filtered);

    FilterSet group(std::vector<std::string>{"Export where 'Group Name'  Equals 'All Groups'",
                                             "IGNORE where 'Email Address' Contains 'spam'"});
    EXPECT_FALSE(filterExportedExclusion(group, {"ann@example.org", "All Groups"}, prompter, status).filtered);
    EXPECT_TRUE(filterExportedExclusion(group, {"ann@example.org", "Friends"}, prompter, status).filtered);
    EXPECT_TRUE(filterExportedExclusion(group, {"spam@example.org", "All Groups"}, prompter, status).filtered);
    FilterSet city(std::vector<std::string>{"Export where 'City'  Equals ''"});
    EXPECT_FALSE(filterExportedExclusion(city, {"ann@example.org", "All Groups"}, prompter, status).filtered);
    EXPECT_TRUE(prompter.log().empty());
}

TEST(FilterEvaluators, DateFiltersCompareWholeDaysBeforeAnyRule)
{
    ScriptedPrompter prompter;
    NullStatusSink status;
    FilterSet none;
    DateFilters after{true, 2026y / 3 / 1, false, {}};
    DateFilters before{false, {}, true, 2026y / 3 / 1};
    struct Case
    {
        const DateFilters* dates;
        std::string_view added;
        std::string_view expectedReason;
    };
    const Case cases[] = {
        {&after, "2026-03-01", ""},
        {&after, "2026-03-01 23:59:59", ""},
        {&after, "2027-01-01", ""},
        {&after, "2026-02-28", kAfterDateFilterName},
        {&after, "2026-02-28 23:59:59", kAfterDateFilterName},
        {&after, "2025-12-31", kAfterDateFilterName},
        {&before, "2026-02-28", ""},
        {&before, "2026-02-28T23:59:59", ""},
        {&before, "2026-03-01", kBeforeDateFilterName},
        {&before, "2026-03-01 00:00:01", kBeforeDateFilterName},
        {&before, "2026-03-02", kBeforeDateFilterName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.added);
        RecipientRecord person = recipient("a@b.com", "", "", c.added);
        FilterVerdict verdict = filterMailingRecipient(none, *c.dates, person, prompter, status);
        EXPECT_EQ(verdict.reason, c.expectedReason);
        EXPECT_EQ(verdict.filtered, !c.expectedReason.empty());
    }

    // Both on: the on-or-after filter is reported first, and dates come before rules.
    DateFilters window{true, 2026y / 3 / 1, true, 2026y / 4 / 1};
    FilterSet paris(std::vector<std::string>{"Send where 'City'  Equals 'Paris'"});
    const std::vector<std::array<std::string_view, 3>> windowCases = {
        {"Rome", "2026-01-05", kAfterDateFilterName},
        {"Rome", "2026-04-01", kBeforeDateFilterName},
        {"Rome", "2026-03-31", "Send where 'City'  Equals 'Paris'"},
        {"Paris", "2026-03-31", ""},
    };
    for (const auto& [cityName, added, reason] : windowCases) {
        SCOPED_TRACE(std::string(cityName) + " " + std::string(added));
        const auto verdict =
            filterMailingRecipient(paris, window, recipient("a@b.com", cityName, "", added), prompter, status);
        EXPECT_EQ(verdict.reason, reason);
        EXPECT_EQ(verdict.filtered, !reason.empty());
    }
    EXPECT_TRUE(prompter.log().empty());
}

TEST(FilterEvaluators, UnreadableDateShowsTheErrorAndLetsTheRecipientPass)
{
    ScriptedPrompter prompter;
    RecordingStatus status;
    FilterSet paris(std::vector<std::string>{"Send where 'City'  Equals 'Paris'"});
    DateFilters after{true, 2026y / 3 / 1, false, {}};

    for (std::string_view bad : {"", "2026-02-30", "10/03/2026", "2026-03-1x"}) {
        prompter.clear();
        FilterVerdict verdict =
            filterMailingRecipient(paris, after, recipient("a@b.com", "Rome", "", bad), prompter, status);
        EXPECT_FALSE(verdict.filtered) << bad;
        EXPECT_TRUE(verdict.metError) << bad;
        ASSERT_EQ(prompter.log().size(), 1U);
        EXPECT_EQ(prompter.log()[0],
                  (ScriptedPrompter::Entry{"IsFiltered Error: 1301 - Date Added is not a valid date: '" +
                                               std::string(bad) + "'",
                                           Icon::Exclamation, false}));
    }
    // Without date filters the date is never read.
    prompter.clear();
    EXPECT_TRUE(filterMailingRecipient(paris, {}, recipient("a@b.com", "Rome", "", "junk"), prompter, status).filtered);
    EXPECT_TRUE(prompter.log().empty());
}

class FailingSource final : public FilterFieldSource
{
public:
    Result<std::string_view> value(FilterField) const override { return Error{ErrorCode::Database, "disk I/O", 10}; }
};

TEST(FilterEvaluators, SourceErrorEndsTheEvaluationAndPasses)
{
    FilterSet rules(std::vector<std::string>{"Send where 'City'  Equals 'Paris'"});
    FilterOutcome outcome = rules.evaluate(FailingSource());
    EXPECT_TRUE(outcome.passed);
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->detail, "disk I/O");
}

TEST(FilterEvaluators, IsFilteredReadsTheOpenGroupFileAndShowsItsSteps)
{
    test::TempDir dir;
    auto path = dir / "Friends.gdb";
    {
        store::RecipientStore group;
        store::defineRecipientLayout(group);
        ASSERT_EQ(group.createFile(path), 0);
        ASSERT_TRUE(group.open(path));
        ASSERT_TRUE(group.addNew());
        store::writeRecipient(group, recipient("ann@example.org", "Leeds", "Acme", "2026-02-01"));
        ASSERT_TRUE(group.close());
    }
    store::RecipientStore group;
    ASSERT_TRUE(group.open(path));
    ASSERT_TRUE(group.moveFirst());

    ScriptedPrompter prompter;
    RecordingStatus status;
    FilterSet leeds(
        std::vector<std::string>{"Send where 'City'  Equals 'LEEDS'", "Send where 'Company Name'  Equals 'Acme' -CS"});
    EXPECT_FALSE(filterMailingRecipient(leeds, {}, group, prompter, status).filtered);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Checking Filter List", "Applying filters"}));

    DateFilters before{false, {}, true, 2026y / 2 / 1};
    status.texts.clear();
    EXPECT_EQ(filterMailingRecipient(FilterSet(), before, group, prompter, status).reason, kBeforeDateFilterName);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Checking Filter List"}));
    EXPECT_TRUE(prompter.log().empty());
    ASSERT_TRUE(group.close());
}

} // namespace
} // namespace tidecast::filters
