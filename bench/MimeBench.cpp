// Building personal messages: a 4 KB plain text with six merge macros and a 6 KB HTML file, both
// quoted-printable, with and without a 100 KB attachment, on one core. After the benchmarks it
// runs bench/mime_python_bench.py on the same inputs (Python's standard email package building
// the same messages) and prints both rates and their ratio.
//
//   build/bench/MimeBench [--benchmark_filter=...] [--skip-python]

#include "common/Clock.h"
#include "common/IdSource.h"
#include "common/Progress.h"
#include "common/Text.h"
#include "outgoing/MergeMacros.h"
#include "outgoing/MessageBuilder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using namespace tidecast;
using store::RecipientField;

constexpr std::size_t kRecipients = 1024;
constexpr std::size_t kAttachmentSize = 100 * 1024;

std::filesystem::path benchFolder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("tidecast-mime-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// About 4 KB of prose in 70-column lines with six macros and a few accented letters.
std::string plainText()
{
    std::string text = "Dear !*FIRST_NAME*! !*LAST_NAME*!,\r\n\r\n";
    const std::string line = "Our autumn catalogue is out, with fresh offers for everyone in town. ";
    for (int i = 0; text.size() < 3900; ++i) {
        text += line;
        if (i == 10) {
            text += "We will deliver to !*CITY*! free of charge this month. ";
        }
        if (i == 20) {
            text += "Your account !*USERNAME*! at !*COMPANY_NAME*! is ready. ";
        }
        if (i == 30) {
            text += "Caf\xC3\xA9 cr\xC3\xA8me and na\xC3\xAFve r\xC3\xA9sum\xC3\xA9s are welcome. ";
        }
        text += "\r\n";
    }
    text += "Replies go to !*EMAIL*!.\r\n";
    return text;
}

std::string htmlText()
{
    std::string html = "<html><head><title>Autumn</title></head><body>\n<h1>Hello !*FIRST_NAME*!</h1>\n";
    for (int i = 0; html.size() < 6000; ++i) {
        html += "<p style=\"font-family: sans-serif\">Our autumn catalogue is out, with fresh offers in "
                "<b>!*CITY*!</b> and everywhere else. Item " +
                std::to_string(i) + ".</p>\n";
    }
    html += "</body></html>\n";
    return html;
}

std::string attachmentData()
{
    std::string data(kAttachmentSize, '\0');
    unsigned state = 42;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return data;
}

struct Inputs
{
    std::string textPath;
    std::string htmlPath;
    std::string attachmentPath;
};

const Inputs& inputs()
{
    static const Inputs files = [] {
        Inputs made;
        made.textPath = (benchFolder() / "text.txt").string();
        made.htmlPath = (benchFolder() / "page.html").string();
        made.attachmentPath = (benchFolder() / "catalogue.pdf").string();
        writeWholeFile(made.textPath, plainText());
        writeWholeFile(made.htmlPath, htmlText());
        writeWholeFile(made.attachmentPath, attachmentData());
        return made;
    }();
    return files;
}

std::vector<store::RecipientRecord> recipients()
{
    std::vector<store::RecipientRecord> list(kRecipients);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string n = std::to_string(i);
        list[i].set(RecipientField::EmailAddress, "person" + n + "@example.co.uk");
        list[i].set(RecipientField::FirstName, "First" + n);
        list[i].set(RecipientField::LastName, "Surname" + n);
        list[i].set(RecipientField::City, i % 3 == 0 ? "Z\xC3\xBCrich" : "Leeds");
        list[i].set(RecipientField::Company, "Widgets and Sons Ltd");
    }
    return list;
}

void buildMessages(benchmark::State& state, bool withAttachment)
{
    outgoing::OutgoingMessage message;
    message.subject = "Autumn offers for !*FIRST_NAME*!";
    message.body = plainText();
    message.htmlPath = inputs().htmlPath;
    if (withAttachment) {
        message.attachments = {inputs().attachmentPath};
    }
    message.identity.name = "Tidecast News";
    message.identity.address = "news@sender.example";
    settings::Settings settings; // quoted-printable text and HTML, iso-8859-1, wrapped at 76
    SystemClock clock;
    SystemIdSource ids;
    auto builder = outgoing::MessageBuilder::create(message, settings, clock, ids);
    if (!builder) {
        state.SkipWithError(builder.error().detail.c_str());
        return;
    }
    const auto people = recipients();
    NullProgress progress;
    std::size_t next = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        auto text = builder->buildMessage(people[next++ % people.size()], progress);
        if (!text) {
            state.SkipWithError(text.error().detail.c_str());
            return;
        }
        bytes += static_cast<std::int64_t>(text->size());
        benchmark::DoNotOptimize(text->data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(bytes);
}

void BM_PersonalQuotedPrintable(benchmark::State& state)
{
    buildMessages(state, false);
}
BENCHMARK(BM_PersonalQuotedPrintable)->MinTime(1.0);

void BM_PersonalWithAttachment(benchmark::State& state)
{
    buildMessages(state, true);
}
BENCHMARK(BM_PersonalWithAttachment)->MinTime(1.0);

// Merging a 4 MB body with a macro on every line (about 100,000 of them): the time grows with
// the text, not with the text times the number of macros.
void BM_MergeLargeBody(benchmark::State& state)
{
    std::string body;
    while (body.size() < 4 * 1024 * 1024) {
        body += "Dear !*FIRST_NAME*!, this line is about !*CITY*! and little else.\r\n";
    }
    store::RecipientRecord recipient;
    recipient.set(RecipientField::FirstName, "Jane");
    recipient.set(RecipientField::City, "Leeds");
    for (auto _ : state) {
        std::string text = body;
        outgoing::replaceMergeMacros(text, recipient);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(body.size()));
}
BENCHMARK(BM_MergeLargeBody)->Unit(benchmark::kMillisecond);

// Keeps the message rates for the comparison at the end.
class RateReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("items_per_second");
            if (it != run.counters.end()) {
                rates[run.benchmark_name()] = it->second.value;
            }
        }
    }
    std::map<std::string, double> rates;
};

double pythonRate(bool withAttachment)
{
    const std::filesystem::path script = std::filesystem::path(TIDECAST_BENCH_DIR) / "mime_python_bench.py";
    std::string command =
        "/usr/bin/python3 '" + script.string() + "' '" + inputs().textPath + "' '" + inputs().htmlPath + "'";
    if (withAttachment) {
        command += " '" + inputs().attachmentPath + "'";
    }
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    return output.empty() ? 0.0 : std::strtod(output.c_str(), nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    bool skipPython = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--skip-python") {
            skipPython = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (!skipPython) {
        const std::pair<const char*, bool> cases[] = {{"BM_PersonalQuotedPrintable", false},
                                                      {"BM_PersonalWithAttachment", true}};
        for (const auto& [name, withAttachment] : cases) {
            // Names carry their arguments ("BM_PersonalWithAttachment/min_time:1.000").
            const auto ours = std::find_if(reporter.rates.begin(), reporter.rates.end(),
                                           [&](const auto& rate) { return rate.first.starts_with(name); });
            if (ours == reporter.rates.end()) {
                continue;
            }
            const double python = pythonRate(withAttachment);
            std::printf("%-28s tidecast %9.0f msgs/s   python email %7.0f msgs/s   ratio %.1fx\n", name, ours->second,
                        python, python > 0 ? ours->second / python : 0.0);
        }
    }
    std::filesystem::remove_all(benchFolder());
    return 0;
}
