// The export of 1,000,000 recipients, 6 fields, COMMA, next to the sqlite3 shell's CSV output
// (.mode csv) of the same six columns of the same file in the same run. Both write to a file in
// the same temporary folder.
#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/StatusSink.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"
#include "support/ServerProcess.h"
#include "transfer/Exporter.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

using namespace tidecast;
using SteadyClock = std::chrono::steady_clock;

constexpr long kRecipients = 1'000'000;

class QuietPrompter final : public Prompter
{
public:
    void message(std::string_view text, Icon) override
    {
        std::fprintf(stderr, "prompt: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    Answer ask(std::string_view, Buttons, Icon, Answer answer) override { return answer; }
};

bool makeGroup(const std::filesystem::path& path)
{
    store::RecipientStore group;
    store::defineRecipientLayout(group);
    if (group.createFile(path) != 0 || !group.open(path) || !group.beginTransaction()) {
        return false;
    }
    for (long i = 1; i <= kRecipients; ++i) {
        store::RecipientRecord record;
        record.set(store::RecipientField::EmailAddress, "user" + std::to_string(i) + "@example.test");
        record.set(store::RecipientField::FirstName, "First" + std::to_string(i));
        record.set(store::RecipientField::LastName, i % 100 == 0 ? "Smith, Jr." : "Last");
        record.set(store::RecipientField::City, "Springfield");
        record.set(store::RecipientField::Company, "Example Company Ltd");
        record.set(store::RecipientField::Telephone, "+44 20 7946 " + std::to_string(i % 10000));
        record.dateAdded = "2026-01-10";
        if (!group.addNew()) {
            return false;
        }
        store::writeRecipient(group, record);
    }
    return group.close().hasValue();
}

double seconds(SteadyClock::time_point start)
{
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// sqlite3 -csv FILE "SELECT ..." > OUT
bool runShell(const std::filesystem::path& group, const std::filesystem::path& out)
{
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    const pid_t pid = test::spawnProcess(
        {"/usr/bin/sqlite3", "-csv", group.string(),
         "SELECT EmailAddress,FirstName,LastName,City,Company,Telephone FROM records ORDER BY rowid"},
        fd);
    ::close(fd);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / ("tidecast-export-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto group = dir / "Bench.gdb";
    if (!makeGroup(group)) {
        std::fprintf(stderr, "could not write the group\n");
        return 1;
    }
    QuietPrompter prompter;
    NullProgress progress;
    NullStatusSink status;
    transfer::Exporter exporter(prompter, progress, status);
    transfer::ExportRequest request;
    request.sourceFile = group;
    request.output = dir / "export.txt";
    request.fields = {"Email Address", "First Name", "Last Name", "City", "Company Name", "Telephone"};

    auto start = SteadyClock::now();
    const auto outcome = exporter.run(request, false);
    const double ours = seconds(start);
    const bool oursOk = outcome.status == transfer::ExportStatus::Completed && outcome.counts.exported == kRecipients;
    const auto ourBytes = std::filesystem::file_size(request.output);

    start = SteadyClock::now();
    const bool shellOk = runShell(group, dir / "shell.csv");
    const double shell = seconds(start);
    const auto shellBytes = std::filesystem::file_size(dir / "shell.csv");
    std::filesystem::remove_all(dir);

    std::printf("%-52s %9s %11s %12s\n", "run", "seconds", "rows/s", "bytes");
    std::printf("%-52s %9.2f %11.0f %12ju%s\n", "export, 1,000,000 recipients, 6 fields, COMMA", ours,
                kRecipients / ours, static_cast<std::uintmax_t>(ourBytes), oursOk ? "" : "  (FAILED)");
    std::printf("%-52s %9.2f %11.0f %12ju%s\n", "sqlite3 -csv, the same 6 columns", shell, kRecipients / shell,
                static_cast<std::uintmax_t>(shellBytes), shellOk ? "" : "  (FAILED)");
    std::printf("export / sqlite3 shell: %.2f (target >= 0.80)\n", shell / ours);
    return oursOk && shellOk ? 0 : 1;
}
