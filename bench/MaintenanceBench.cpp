// Timings of a group's daily care at the size of 1,000,000 recipients: a search by address (the
// index) and by city (a scan) to the full result list, a sort by last name, a move of 10,000
// recipients between two such groups, and the safe rebuild. The groups are built once in a
// temporary folder and removed at exit. Sort, move and rebuild change the files, so each runs
// once, after the searches.
#include "commands/GroupMaintenance.h"
#include "commands/GroupSetupCommands.h"
#include "commands/MaintenanceContext.h"
#include "commands/RecipientSearch.h"
#include "commands/RecipientTransfer.h"
#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "store/Compaction.h"
#include "store/GroupStore.h"
#include "store/RecipientRecord.h"
#include "support/ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using namespace tidecast;

constexpr int kLargeGroup = 1'000'000;
constexpr int kCities = 1000;
constexpr int kMoved = 10'000;

struct Fixture
{
    std::filesystem::path dir;
    ScriptedPrompter prompter;
    NullStatusSink status;
    NullProgress progress;
    SystemClock clock;
    store::GroupStore groups;

    explicit Fixture(std::filesystem::path folder)
        : dir(std::move(folder))
        , groups(dir, prompter, status, progress, clock)
    {}

    ~Fixture()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

// `prefix`0@example.test ... with 1000 cities and last names in no particular order.
void fill(store::GroupStore& groups, const std::string& name, const std::string& prefix)
{
    groups.beginAddGroup();
    if (!groups.acceptGroupDialog("", name, {}).accepted()) {
        std::abort();
    }
    groups.finishAddGroup();
    store::RecipientStore file;
    if (!file.open(groups.groupPath(name)) || !file.beginTransaction()) {
        std::abort();
    }
    store::RecipientRecord record;
    record.dateAdded = "2026-01-01";
    for (int i = 0; i < kLargeGroup; ++i) {
        const auto scrambled = static_cast<unsigned>(i) * 2654435761U;
        record.set(store::RecipientField::EmailAddress, prefix + std::to_string(i) + "@example.test");
        record.set(store::RecipientField::LastName, "Last" + std::to_string(scrambled % 999'983U));
        record.set(store::RecipientField::City, "City" + std::to_string(i % kCities));
        if (!file.addNew()) {
            std::abort();
        }
        store::writeRecipient(file, record);
    }
    if (!file.commitTransaction() || !file.close()) {
        std::abort();
    }
}

Fixture& fixture()
{
    static Fixture instance{[] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tidecast-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return std::filesystem::path(pattern);
    }()};
    static const bool built = [] {
        fill(instance.groups, "Large", "person");
        fill(instance.groups, "Other", "other");
        return true;
    }();
    (void)built;
    return instance;
}

void searchToList(benchmark::State& state, const commands::SearchCriteria& criteria, std::int64_t expected)
{
    auto& f = fixture();
    commands::RecipientSearch search(f.dir, f.prompter);
    for (auto _ : state) {
        std::vector<commands::RecipientRow> rows;
        search.run(criteria, [&rows](const store::RecipientStore& match) {
            rows.push_back({match.field("FirstName"), match.field("LastName"), match.field("EmailAddress")});
        });
        if (static_cast<std::int64_t>(rows.size()) != expected) {
            state.SkipWithError("wrong result count");
        }
    }
}

void BM_SearchAMillionByAddress(benchmark::State& state)
{
    searchToList(state, {"Large", "EmailAddress", store::FindOperator::Equals, "person999999@example.test"}, 1);
}
BENCHMARK(BM_SearchAMillionByAddress)->Unit(benchmark::kMillisecond);

void BM_SearchAMillionByCity(benchmark::State& state)
{
    searchToList(state, {"Large", "City", store::FindOperator::Equals, "City7"}, kLargeGroup / kCities);
}
BENCHMARK(BM_SearchAMillionByCity)->Unit(benchmark::kMillisecond);

void BM_SortAMillionByLastName(benchmark::State& state)
{
    auto& f = fixture();
    commands::GroupMaintenance maintenance(commands::maintenanceContext(f.groups));
    for (auto _ : state) {
        if (maintenance.sortGroups({"Large"}, "LastName") != store::CommandOutcome::Done) {
            state.SkipWithError("sort failed");
        }
    }
}
BENCHMARK(BM_SortAMillionByLastName)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MoveTenThousandBetweenTwoMillions(benchmark::State& state)
{
    auto& f = fixture();
    commands::TransferRequest request{commands::TransferMode::Move, "Large", "Other", {}, false};
    for (int i = 0; i < kMoved; ++i) {
        request.addresses.push_back("person" + std::to_string(i * 97) + "@example.test");
    }
    for (auto _ : state) {
        commands::RecipientTransfer transfer(commands::maintenanceContext(f.groups), request);
        if (transfer.run().removed != kMoved) {
            state.SkipWithError("move incomplete");
        }
    }
}
BENCHMARK(BM_MoveTenThousandBetweenTwoMillions)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SafeRebuildOfAMillion(benchmark::State& state)
{
    auto& f = fixture();
    for (auto _ : state) {
        if (!store::safeRebuild(f.dir, "Other", ".gdb", f.progress)) {
            state.SkipWithError("rebuild failed");
        }
    }
}
BENCHMARK(BM_SafeRebuildOfAMillion)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
