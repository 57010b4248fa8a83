// Whole mailings, end to end (group file read record by record, merge, MIME build, SMTP, the five
// logs), to Postfix's smtp-sink on loopback, next to Postfix's smtp-source sending messages of the
// same size to the same sink in the same run:
//   - personal mode, 10,000 recipients, a merged text + HTML message of about 4 KB, GroupLet 25,
//     against smtp-source over one connection (-s 1 -d);
//   - bulk mode, 10,000 recipients at 25 per message, against smtp-source sending 400 messages
//     of 25 recipients (-r 25).
// `MailingBench exclusion` compares a bulk mailing to 100,000 recipients with an exclusion list
// of 1,000,000 other addresses against the same mailing with an empty list.
// `MailingBench group DIR NAME COUNT` only writes a group of COUNT recipients into the data
// folder DIR (for bench/mailing_memory.sh).
// `MailingBench dkim` runs the personal mailing unsigned, DKIM-signed with an RSA-2048 key and
// with an Ed25519 key (keys made with the openssl tool), in turn for three rounds, and prints
// each kind's median with the CPU time this process used.
#include "bench/SmtpSink.h"
#include "common/Clock.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "mailing/Mailing.h"
#include "store/GroupNames.h"
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"
#include "transfer/ExclusionList.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using namespace tidecast::bench;

using namespace tidecast;
using SteadyClock = std::chrono::steady_clock;

constexpr int kRecipients = 10000;
// Runs compared with each other take turns this many times, and each one's median counts.
constexpr int kRounds = 3;
constexpr int kGroupLet = 25;
constexpr int kMessageSize = 4096;

class QuietPrompter final : public Prompter
{
public:
    void message(std::string_view text, Icon) override
    {
        std::fprintf(stderr, "prompt: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    Answer ask(std::string_view, Buttons, Icon, Answer answer) override { return answer; }
};

bool makeGroup(const std::filesystem::path& dataDir, const std::string& name, long count)
{
    std::filesystem::create_directories(dataDir);
    store::RecipientStore group;
    store::defineRecipientLayout(group);
    const auto path = dataDir / (name + ".gdb");
    if (group.createFile(path) != 0 || !group.open(path) || !group.beginTransaction()) {
        return false;
    }
    for (long i = 1; i <= count; ++i) {
        store::RecipientRecord record;
        record.set(store::RecipientField::EmailAddress, "user" + std::to_string(i) + "@example.test");
        record.set(store::RecipientField::FirstName, "First" + std::to_string(i));
        record.set(store::RecipientField::LastName, "Last");
        record.set(store::RecipientField::City, "Springfield");
        record.dateAdded = "2026-01-10";
        if (!group.addNew()) {
            return false;
        }
        store::writeRecipient(group, record);
    }
    if (!group.close()) {
        return false;
    }
    std::string folder = dataDir.string();
    if (folder.back() != '/') {
        folder += '/';
    }
    return writeWholeFile(dataDir / "groups.lst", folder + name + ".gdb\r\n");
}

// An exclusion list of `count` addresses for every group: "other1@example.test", ... (none of them
// in the group that makeGroup writes, so the whole list is loaded and every recipient checked).
bool makeExclusionList(const std::filesystem::path& dataDir, long count)
{
    store::RecipientStore list;
    list.defineField("Group", store::FieldType::Text, 50);
    list.defineField("EmailAddress", store::FieldType::Text, 254);
    const auto path = dataDir / (std::string(store::kExclusionListName) + std::string(store::kGroupExtension));
    if (list.createFile(path) != 0 || !list.open(path) || !list.beginTransaction()) {
        return false;
    }
    for (long i = 1; i <= count; ++i) {
        if (!list.addNew() || !list.setField("Group", store::kAllGroups) ||
            !list.setField("EmailAddress", "other" + std::to_string(i) + "@example.test")) {
            return false;
        }
    }
    return static_cast<bool>(list.close());
}

// About 2 KB of text with macros and 2 KB of HTML: some 4 KB once merged and encoded.
outgoing::ComposedMessage composedMessage(const std::filesystem::path& dataDir)
{
    std::string text = "Dear !*FIRST_NAME*! !*LAST_NAME*!,\r\n\r\n";
    while (text.size() < 1900) {
        text += "Here is the news from !*CITY*! for this week, with more to follow soon.\r\n";
    }
    std::string html = "<html><body><p>Dear !*FIRST_NAME*!,</p>\r\n";
    while (html.size() < 1900) {
        html += "<p>Here is the <b>news</b> from !*CITY*! for this week.</p>\r\n";
    }
    html += "</body></html>\r\n";
    writeWholeFile(dataDir / "news.html", html);
    outgoing::ComposedMessage message;
    message.subject = "News for !*FIRST_NAME*!";
    message.body = text;
    message.htmlPath = (dataDir / "news.html").string();
    return message;
}

struct Figure
{
    double seconds = 0;
    double cpuSeconds = 0; // of this process, all its threads
    long sent = 0;
    bool ok = false;
};

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The run of median wall time, failed when any run failed.
Figure median(std::vector<Figure> figures)
{
    std::sort(figures.begin(), figures.end(), [](const Figure& a, const Figure& b) { return a.seconds < b.seconds; });
    Figure middle = figures[figures.size() / 2];
    middle.ok = std::all_of(figures.begin(), figures.end(), [](const Figure& f) { return f.ok; });
    return middle;
}

// `dkimKey`: a PEM key to sign every message with; empty for unsigned mail.
Figure runMailing(const std::filesystem::path& dataDir, int port, bool bulk, const std::string& dkimKey = {})
{
    mailing::MailingSetup setup;
    if (!dkimKey.empty()) {
        setup.settings.dkimDomain = "example.test";
        setup.settings.dkimSelector = "bench";
        setup.settings.dkimKeyFile = dkimKey;
    }
    setup.settings.smtpServer = "127.0.0.1";
    setup.settings.smtpPort = port;
    setup.settings.timeout = 10;
    setup.settings.security = "none";
    setup.settings.bulkGroupSize = kGroupLet;
    setup.options.groupName = "Bench";
    setup.options.senderAddress = "sender@example.test";
    setup.options.senderName = "Sender";
    setup.options.bulkMode = bulk;
    setup.options.bulkToText = "Bench";
    setup.options.bulkGroupSize = kGroupLet;
    setup.options.optionsConfirmed = true;
    setup.message = composedMessage(dataDir);
    if (bulk) {
        // A bulk message is the same for everybody: no macros.
        setup.message.subject = "News";
        setup.message.body = replaceAll(setup.message.body, "!*", "");
    }
    setup.dataDir = dataDir;
    setup.settingsFile = dataDir / "ej.dat";
    QuietPrompter prompter;
    NullProgress progress;
    mailing::NullSendMonitor monitor;
    SystemClock clock;
    mailing::Mailing mailing(setup, prompter, progress, monitor, clock);
    const double cpuStart = processCpuSeconds();
    const auto start = SteadyClock::now();
    Figure figure;
    figure.ok = mailing.run();
    figure.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    figure.cpuSeconds = processCpuSeconds() - cpuStart;
    figure.sent = mailing.summary().counters.sent;
    return figure;
}

Figure runSource(const std::string& program, int port, int messages, int recipients)
{
    std::vector<std::string> args = {program, "-s",
                                     "1",     "-d",
                                     "-l",    std::to_string(kMessageSize),
                                     "-m",    std::to_string(messages),
                                     "-f",    "sender@example.test",
                                     "-t",    "recipient@example.test"};
    if (recipients > 1) {
        args.insert(args.end(), {"-r", std::to_string(recipients)});
    }
    args.push_back("127.0.0.1:" + std::to_string(port));
    const auto start = SteadyClock::now();
    const pid_t pid = spawnQuietly(args);
    int status = 0;
    Figure figure;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        figure.ok = true;
    }
    figure.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    figure.sent = static_cast<long>(messages) * recipients;
    return figure;
}

const auto rate = [](const Figure& f) { return f.seconds > 0 ? f.sent / f.seconds : 0.0; };

int runSigningFigures(const std::filesystem::path& dataDir, int port)
{
    const std::string rsa = (dataDir / "rsa.pem").string();
    const std::string ed25519 = (dataDir / "ed25519.pem").string();
    if (test::runProgram({"/usr/bin/openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                          "-out", rsa}) != 0 ||
        test::runProgram({"/usr/bin/openssl", "genpkey", "-algorithm", "ED25519", "-out", ed25519}) != 0) {
        std::fprintf(stderr, "could not make the keys with /usr/bin/openssl\n");
        return 1;
    }

    // The kinds take turns, and each one's median of the rounds counts, so a machine whose
    // load changes during the run does not favour one of them.
    const std::vector<std::pair<const char*, std::string>> kinds = {
        {"unsigned", ""}, {"DKIM rsa-sha256, 2048 bits", rsa}, {"DKIM ed25519-sha256", ed25519}};
    std::vector<std::vector<Figure>> rounds(kinds.size());
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
            rounds[kind].push_back(runMailing(dataDir, port, false, kinds[kind].second));
        }
    }
    std::vector<Figure> medians;
    for (auto& figures : rounds) {
        medians.push_back(median(std::move(figures)));
    }
    std::printf("%-50s %9s %9s %9s %11s\n", "personal mailing, 10,000 merged text+HTML, median", "seconds", "cpu s",
                "count", "per second");
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        const Figure& figure = medians[kind];
        std::printf("%-50s %9.2f %9.2f %9ld %11.0f%s\n", kinds[kind].first, figure.seconds, figure.cpuSeconds,
                    figure.sent, rate(figure), figure.ok ? "" : "  (FAILED)");
    }
    const Figure& unsignedRun = medians[0];
    const Figure& withRsa = medians[1];
    const Figure& withEd25519 = medians[2];
    const double base = rate(unsignedRun);
    std::printf("rate lost to signing: rsa-sha256 %.1f%% (target <= 30%%), ed25519-sha256 %.1f%%\n",
                base > 0 ? 100.0 * (1.0 - rate(withRsa) / base) : 0.0,
                base > 0 ? 100.0 * (1.0 - rate(withEd25519) / base) : 0.0);
    return unsignedRun.ok && withRsa.ok && withEd25519.ok ? 0 : 1;
}

// The same bulk mailing with an empty exclusion list and with 1,000,000 entries that exclude
// nobody of the group (so both send the same messages), taking turns.
int exclusionBench(const std::string& sinkProgram)
{
    constexpr long kGroupSize = 100'000;
    constexpr int kExclusions = 1'000'000;
    const auto base =
        std::filesystem::temp_directory_path() / ("tidecast-exclusion-bench-" + std::to_string(::getpid()));
    const auto emptyDir = base / "empty";
    const auto fullDir = base / "full";
    transfer::ExclusionList exclusions;
    for (const auto& dataDir : {emptyDir, fullDir}) {
        if (!makeGroup(dataDir, "Bench", kGroupSize)) {
            std::fprintf(stderr, "could not write the group\n");
            return 1;
        }
        if (dataDir == fullDir) {
            for (int i = 0; i < kExclusions; ++i) {
                exclusions.add("other" + std::to_string(i) + "@example.test", i % 2 == 0 ? "All Groups" : "Bench");
            }
        }
        if (!exclusions.save(transfer::ExclusionList::filePath(dataDir), transfer::ExclusionBackup::None)) {
            return 1;
        }
    }
    SmtpSink sink(sinkProgram);
    std::vector<Figure> emptyRuns;
    std::vector<Figure> fullRuns;
    for (int round = 0; round < kRounds; ++round) {
        emptyRuns.push_back(runMailing(emptyDir, sink.port(), true));
        fullRuns.push_back(runMailing(fullDir, sink.port(), true));
    }
    std::filesystem::remove_all(base);
    const Figure empty = median(std::move(emptyRuns));
    const Figure full = median(std::move(fullRuns));

    std::printf("%-62s %9s %9s %9s %11s\n", "bulk mailing, 100,000 recipients, median", "seconds", "cpu s", "count",
                "per second");
    for (const auto& [name, figure] :
         {std::pair{"empty exclusion list", &empty}, std::pair{"1,000,000-entry exclusion list", &full}}) {
        std::printf("%-62s %9.2f %9.2f %9ld %11.0f%s\n", name, figure->seconds, figure->cpuSeconds, figure->sent,
                    rate(*figure), figure->ok ? "" : "  (FAILED)");
    }
    std::printf("slower with the list by: %.1f%% (target <= 10%%)\n",
                empty.seconds > 0 ? (full.seconds / empty.seconds - 1) * 100 : 0.0);
    return empty.ok && full.ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "group") {
        return makeGroup(argv[2], argv[3], std::stol(argv[4])) ? 0 : 1;
    }
    if (argc == 4 && std::string(argv[1]) == "exclusion") {
        return makeExclusionList(argv[2], std::stol(argv[3])) ? 0 : 1;
    }
    const bool signing = argc == 2 && std::string(argv[1]) == "dkim";
    const auto sinkProgram = findPostfixProgram("smtp-sink");
    const auto sourceProgram = findPostfixProgram("smtp-source");
    if (sinkProgram.empty() || sourceProgram.empty()) {
        std::fprintf(stderr, "smtp-sink and smtp-source (package postfix) are needed\n");
        return 1;
    }
    if (argc == 2 && std::string(argv[1]) == "exclusion") {
        return exclusionBench(sinkProgram);
    }
    const auto dataDir =
        std::filesystem::temp_directory_path() / ("tidecast-mailing-bench-" + std::to_string(::getpid()));
    if (!makeGroup(dataDir, "Bench", kRecipients)) {
        std::fprintf(stderr, "could not write the group\n");
        return 1;
    }
    SmtpSink sink(sinkProgram);
    if (signing) {
        const int status = runSigningFigures(dataDir, sink.port());
        std::filesystem::remove_all(dataDir);
        return status;
    }

    const auto personal = runMailing(dataDir, sink.port(), false);
    const auto source = runSource(sourceProgram, sink.port(), kRecipients, 1);
    const auto bulk = runMailing(dataDir, sink.port(), true);
    const auto sourceBulk = runSource(sourceProgram, sink.port(), kRecipients / kGroupLet, kGroupLet);
    std::filesystem::remove_all(dataDir);

    std::printf("%-58s %9s %9s %11s\n", "run", "seconds", "count", "per second");
    std::printf("%-58s %9.2f %9ld %11.0f%s\n", "personal mailing, 10,000 merged text+HTML, GroupLet 25",
                personal.seconds, personal.sent, rate(personal), personal.ok ? "" : "  (FAILED)");
    std::printf("%-58s %9.2f %9ld %11.0f%s\n", "smtp-source -s 1 -d -l 4096, 10,000 messages", source.seconds,
                source.sent, rate(source), source.ok ? "" : "  (FAILED)");
    std::printf("%-58s %9.2f %9ld %11.0f%s\n", "bulk mailing, 10,000 recipients, 25 per message", bulk.seconds,
                bulk.sent, rate(bulk), bulk.ok ? "" : "  (FAILED)");
    std::printf("%-58s %9.2f %9ld %11.0f%s\n", "smtp-source -s 1 -d -l 4096 -r 25, 400 messages", sourceBulk.seconds,
                sourceBulk.sent, rate(sourceBulk), sourceBulk.ok ? "" : "  (FAILED)");
    std::printf("personal / smtp-source: %.2f (target >= 0.50); bulk recipients / smtp-source -r 25: %.2f (target >= "
                "0.50)\n",
                rate(source) > 0 ? rate(personal) / rate(source) : 0.0,
                rate(sourceBulk) > 0 ? rate(bulk) / rate(sourceBulk) : 0.0);
    return personal.ok && bulk.ok ? 0 : 1;
}
