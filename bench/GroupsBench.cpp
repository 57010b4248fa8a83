// Timings of the group and recipient procedures at the sizes people reach: the first 32000
// rows of a group of 1,000,000, the group list of 100 groups, and adding one recipient to the
// large group. The files are built once in a temporary folder and removed at exit.
#include "commands/GroupSetupCommands.h"
#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "store/GroupStore.h"
#include "store/RecipientRecord.h"
#include "support/ScriptedPrompter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

using namespace tidecast;

constexpr int kLargeGroup = 1'000'000;
constexpr int kGroupCount = 100;
constexpr int kRecipientsPerSmallGroup = 1000;

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

void fill(store::GroupStore& groups, const std::string& name, int count)
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
    for (int i = 0; i < count; ++i) {
        record.set(store::RecipientField::EmailAddress, "person" + std::to_string(i) + "@example.test");
        record.set(store::RecipientField::FirstName, "First" + std::to_string(i));
        record.set(store::RecipientField::LastName, "Last" + std::to_string(i));
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
        fill(instance.groups, "Large", kLargeGroup);
        for (int g = 0; g < kGroupCount - 1; ++g) {
            fill(instance.groups, "Group " + std::to_string(g), kRecipientsPerSmallGroup);
        }
        return true;
    }();
    (void)built;
    return instance;
}

void BM_LoadDBUsersFirst32000OfAMillion(benchmark::State& state)
{
    auto& f = fixture();
    commands::GroupSetupCommands list(f.groups);
    list.setGroup("Large");
    for (auto _ : state) {
        f.prompter.clear();
        if (!list.loadRecipients() || list.rows().size() != commands::kMaxListedRecipients) {
            state.SkipWithError("wrong row count");
        }
    }
}
BENCHMARK(BM_LoadDBUsersFirst32000OfAMillion)->Unit(benchmark::kMillisecond);

void BM_LoadDBGroupsWithCounts(benchmark::State& state)
{
    auto& f = fixture();
    for (auto _ : state) {
        if (f.groups.loadGroups().size() != kGroupCount) {
            state.SkipWithError("wrong group count");
        }
    }
}
BENCHMARK(BM_LoadDBGroupsWithCounts)->Unit(benchmark::kMillisecond);

void BM_AddOneRecipientToAMillion(benchmark::State& state)
{
    auto& f = fixture();
    commands::GroupSetupCommands list(f.groups);
    list.setGroup("Large");
    list.setGroupsOnlyView(true);
    static int next = 0;
    store::RecipientRecord record;
    for (auto _ : state) {
        record.set(store::RecipientField::EmailAddress, "added" + std::to_string(next++) + "@example.test");
        if (!list.saveRecipient(record)) {
            state.SkipWithError("not added");
        }
    }
}
BENCHMARK(BM_AddOneRecipientToAMillion)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
