// Evaluating a send filter list of ten rules against a million recipients.

#include "common/StatusSink.h"
#include "filters/FilterEvaluators.h"
#include "support/ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{

using namespace tidecast;
using store::RecipientField;

constexpr std::int64_t kCandidates = 1'000'000;
constexpr std::size_t kDistinctRecipients = 4096;

// Ten rules of every kind and comparison, written so that most recipients pass them all and
// every rule is evaluated.
const std::vector<std::string> kRules = {
    "Send where 'Email Address'  Contains '@'",      "IGNORE where 'Email Address' Ends with '.invalid'",
    "Send where 'Country'  Equals 'united kingdom'", "IGNORE where 'City' Equals 'Nowhere' -CS",
    "Send where 'Company Name'  Contains 'ltd'",     "IGNORE where 'Last Name' Starts with 'zz'",
    "Send where 'Zip / Post Code'  Starts with 'S'", "IGNORE where 'Job Title' Contains 'Intern'",
    "Send where 'First Name'  Contains ''",          "IGNORE where 'Additional Field 1' Equals 'unsubscribed'",
};

std::vector<store::RecipientRecord> makeRecipients()
{
    const char* cities[] = {"London", "Leeds", "York", "Bath", "Nowhere"};
    std::vector<store::RecipientRecord> recipients(kDistinctRecipients);
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        auto& r = recipients[i];
        auto n = std::to_string(i);
        r.set(RecipientField::EmailAddress, "person" + n + (i % 97 == 0 ? "@example.invalid" : "@example.co.uk"));
        r.set(RecipientField::FirstName, "First" + n);
        r.set(RecipientField::LastName, "Surname" + n);
        r.set(RecipientField::City, cities[i % 5 == 4 && i % 2 == 0 ? 4 : i % 4]);
        r.set(RecipientField::Country, i % 50 == 0 ? "France" : "United Kingdom");
        r.set(RecipientField::Company, "Widgets and Sons Ltd");
        r.set(RecipientField::Zip, "SW1A " + n);
        r.set(RecipientField::JobTitle, i % 31 == 0 ? "Intern" : "Buyer");
        r.set(RecipientField::Field1, i % 200 == 0 ? "Unsubscribed" : "");
        r.dateAdded = "2026-0" + std::to_string(1 + i % 9) + "-15";
    }
    return recipients;
}

void BM_IsFilteredTenRules(benchmark::State& state)
{
    const auto recipients = makeRecipients();
    ScriptedPrompter prompter;
    NullStatusSink status;
    filters::DateFilters dates{true, std::chrono::year{2026} / 2 / 1, true, std::chrono::year{2026} / 12 / 1};
    std::int64_t kept = 0;
    for (auto _ : state) {
        // One parse per run, as a mailing does it.
        filters::FilterSet filters(kRules);
        for (std::int64_t i = 0; i < kCandidates; ++i) {
            const auto& recipient = recipients[static_cast<std::size_t>(i) % kDistinctRecipients];
            kept += filters::filterMailingRecipient(filters, dates, recipient, prompter, status).filtered ? 0 : 1;
        }
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(state.iterations() * kCandidates);
    state.counters["candidates_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kCandidates), benchmark::Counter::kIsRate);
    state.counters["kept_share"] = static_cast<double>(kept) / static_cast<double>(state.iterations() * kCandidates);
}
BENCHMARK(BM_IsFilteredTenRules)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
