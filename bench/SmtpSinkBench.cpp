// Personal-mode mail transactions through our SMTP client to Postfix's smtp-sink on loopback,
// reconnecting every 25 messages as a mailing does, with and without PIPELINING, next to
// Postfix's smtp-source sending to the same sink over one connection: the practical limit.
//
// The machine is shared, so the four runs take turns for a few rounds; each line reports the best
// round, and the ratios are taken within a round (the median of the rounds is printed).
//
// Run: build/bench/SmtpSinkBench [seconds per run of ours, default 1] [rounds, default 3]
#include "bench/SmtpSink.h"
#include "common/Progress.h"
#include "common/Prompter.h"
#include "mailing/LogSink.h"
#include "mailing/SmtpSendChannel.h"
#include "net/PopClient.h"
#include "net/SmtpClient.h"
#include "settings/Settings.h"
#include "support/MemoryLogSink.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using namespace tidecast::bench;

using Clock = std::chrono::steady_clock;
using namespace tidecast;

constexpr int kMessagesPerConnection = 25;
constexpr std::size_t kBodySize = 4096;
constexpr int kSourceMessages = 6000;

struct Rate
{
    long messages = 0;
    double seconds = 0;
    double perSecond() const { return seconds > 0 ? static_cast<double>(messages) / seconds : 0; }
};

std::optional<Rate> runSmtpSource(const std::string& program, std::uint16_t port)
{
    const auto start = Clock::now();
    const pid_t pid = spawnQuietly({program, "-s", "1", "-d", "-m", std::to_string(kSourceMessages), "-l",
                                    std::to_string(kBodySize), "-f", "sender@example.test", "-t",
                                    "recipient@example.test", "127.0.0.1:" + std::to_string(port)});
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return Rate{kSourceMessages, std::chrono::duration<double>(Clock::now() - start).count()};
}

std::string message()
{
    std::string text = "From: Sender <sender@example.test>\r\n"
                       "To: recipient@example.test\r\n"
                       "Subject: benchmark\r\n"
                       "Date: Sun, 6 Dec 2026 12:00:00 +0000\r\n"
                       "Message-ID: <bench@example.test>\r\n"
                       "MIME-Version: 1.0\r\n"
                       "Content-Type: text/plain; charset=us-ascii\r\n"
                       "\r\n";
    const std::size_t end = text.size() + kBodySize;
    while (text.size() < end) {
        text += std::string(76, 'x') + "\r\n";
    }
    return text;
}

class SilentPrompter final : public Prompter
{
public:
    void message(std::string_view text, Icon) override
    {
        std::fprintf(stderr, "prompt: %.*s\n", int(text.size()), text.data());
    }
    Answer ask(std::string_view, Buttons, Icon, Answer answer) override { return answer; }
};

// The channel steps of personal mode, with the logging they do, into sinks that drop the lines.
std::optional<Rate> runOurs(std::uint16_t port, double seconds)
{
    settings::Settings settings;
    settings.smtpServer = "127.0.0.1";
    settings.smtpPort = port;
    settings.timeout = 10;
    settings.domain = "client.example.test";
    settings.security = "none";
    test::NullLogSink activity;
    test::NullLogSink session;
    test::NullLogSink lastError;
    NullProgress progress;
    SilentPrompter prompter;
    mailing::SmtpSendChannel channel(settings, {}, {activity, session, lastError, progress, prompter});
    const ByteChain text(message());

    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    if (!channel.connect()) {
        return std::nullopt;
    }
    Rate rate;
    int onConnection = 0;
    while (Clock::now() < deadline) {
        if (!channel.startTransaction("sender@example.test") ||
            channel.addRecipient("recipient@example.test").code >= 400 ||
            channel.transmit(text, "recipient@example.test") != mailing::TransmitOutcome::Sent) {
            return std::nullopt;
        }
        ++rate.messages;
        if (++onConnection == kMessagesPerConnection) {
            onConnection = 0;
            if (!channel.reconnect()) {
                return std::nullopt;
            }
        }
    }
    channel.disconnect(mailing::DisconnectReason::EndOfSession);
    rate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return rate;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    const int roundCount = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    const auto sinkProgram = findPostfixProgram("smtp-sink");
    const auto sourceProgram = findPostfixProgram("smtp-source");
    if (sinkProgram.empty() || sourceProgram.empty()) {
        std::fprintf(stderr, "smtp-sink and smtp-source (package postfix) are needed\n");
        return 2;
    }
    SmtpSink pipelined(sinkProgram, true);
    SmtpSink plain(sinkProgram, false);
    if (pipelined.port() == 0 || plain.port() == 0) {
        std::fprintf(stderr, "smtp-sink did not start\n");
        return 2;
    }

    struct Round
    {
        Rate source;
        Rate sourcePlain;
        Rate ours;
        Rate oursPlain;
    };
    std::vector<Round> rounds;
    for (int i = 0; i < roundCount; ++i) {
        const auto source = runSmtpSource(sourceProgram, pipelined.port());
        const auto ours = runOurs(pipelined.port(), seconds);
        const auto oursPlain = runOurs(plain.port(), seconds);
        const auto sourcePlain = runSmtpSource(sourceProgram, plain.port());
        if (!source || !sourcePlain || !ours || !oursPlain) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        rounds.push_back({*source, *sourcePlain, *ours, *oursPlain});
    }

    const auto best = [&](Rate Round::*field) {
        Rate top = rounds.front().*field;
        for (const auto& round : rounds) {
            if ((round.*field).perSecond() > top.perSecond()) {
                top = round.*field;
            }
        }
        return top;
    };
    const auto medianRatio = [&](Rate Round::*field) {
        std::vector<double> ratios;
        for (const auto& round : rounds) {
            ratios.push_back((round.*field).perSecond() / round.source.perSecond());
        }
        std::sort(ratios.begin(), ratios.end());
        return ratios[ratios.size() / 2];
    };
    std::printf("%-62s %8s %8s %9s\n", "best of rounds (4096-byte body, 127.0.0.1)", "messages", "seconds", "msg/s");
    const auto row = [](const char* name, const Rate& r) {
        std::printf("%-62s %8ld %8.2f %9.0f\n", name, r.messages, r.seconds, r.perSecond());
    };
    row("smtp-source -s 1 -d (one connection)", best(&Round::source));
    row("smtp-source -s 1 -d (one connection), sink without PIPELINING", best(&Round::sourcePlain));
    row("tidecast personal mode, PIPELINING, reconnect every 25", best(&Round::ours));
    row("tidecast personal mode, no PIPELINING, reconnect every 25", best(&Round::oursPlain));
    std::printf("ratio to smtp-source (median of %zu rounds): %.2f with PIPELINING, %.2f without (target >= 0.50)\n",
                rounds.size(), medianRatio(&Round::ours), medianRatio(&Round::oursPlain));
    return 0;
}
