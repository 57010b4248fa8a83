#include "cli/SendCommands.h"

#include "cli/MailingPreparation.h"
#include "cli/SignalStop.h"
#include "mailing/Mailing.h"
#include "messages/MessageFiles.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tidecast::cli
{

namespace
{

// A progress bar on stderr, redrawn with the counters (which come at most ten times a second).
class BarMonitor final : public mailing::SendMonitor
{
public:
    BarMonitor(std::ostream& err, bool draw)
        : m_err(err)
        , m_draw(draw)
    {}
    ~BarMonitor() override
    {
        if (m_drawn) {
            m_err << '\n';
        }
    }
    void activity(std::string_view) override {}
    void modeLabel(std::string_view) override {}
    void partialLabel(std::string_view) override {}
    void counters(const mailing::SendCounters& c) override
    {
        if (!m_draw || c.groupSize <= 0) {
            return;
        }
        constexpr int kWidth = 30;
        const auto done = std::min<std::int64_t>(c.position, c.groupSize);
        const int filled = static_cast<int>(done * kWidth / c.groupSize);
        m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << done << '/' << c.groupSize
              << "  sent " << c.sent << "  errors " << c.errors << std::flush;
        m_drawn = true;
    }

private:
    std::ostream& m_err;
    bool m_draw;
    bool m_drawn = false;
};

int exitStatusFor(mailing::SendResult result)
{
    switch (result) {
    case mailing::SendResult::Completed:
        return kExitDone;
    case mailing::SendResult::StoppedByUser:
    case mailing::SendResult::StoppedAfterError:
        return kExitStopped;
    case mailing::SendResult::EndedByError:
        return kExitFailed;
    case mailing::SendResult::None:
        break;
    }
    return kExitRefused;
}

int runSend(CliContext& context, const MailingArguments& arguments)
{
    auto& prompter = *context.prompter;
    int status = kExitRefused;
    auto prepared = prepareMailing(context, arguments, MailingPurpose::Send, status);
    if (!prepared) {
        return status;
    }
    const auto& document = prepared->document;
    auto setup = std::move(prepared->setup);
    NullProgress progress;
    BarMonitor monitor(context.err, context.errIsTerminal);
    SystemClock clock;
    // Before the mailing starts any thread of its own, so that only the watcher takes the signals.
    SignalStop stopOnSignals;
    mailing::Mailing mailing(std::move(setup), prompter, progress, monitor, clock);
    mailing.run(stopOnSignals.token());
    const auto result = mailing.result();
    if (result == mailing::SendResult::None) {
        return kExitRefused;
    }
    const auto summary = mailing.summary();
    for (const auto& line : mailing::summaryLines(summary)) {
        context.out << line << '\n';
    }
    // As on the desktop, a completed mailing leaves its copy in the message history.
    if (result == mailing::SendResult::Completed) {
        messages::DocumentState state{arguments.messageFile, false};
        (void)messages::saveSentCopy(document, summary.groupName, context.paths.dataDir, state, prompter, clock);
    }
    // A script must be able to tell a mailing that reached everybody from one that did not.
    if (result == mailing::SendResult::Completed && summary.counters.errors > 0) {
        return kExitPartly;
    }
    return exitStatusFor(result);
}

} // namespace

void addSendCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<MailingArguments>();
    auto* command = app.add_subcommand("send", "Mail a message to a group");
    command->add_option("--message", arguments->messageFile, "The message document (.tcx)")->required();
    command->add_option("--group", arguments->group, "The group (default: the message's group)");
    auto* bulk = command->add_flag("--bulk", arguments->bulk, "Many recipients to a message");
    command->add_option("--to", arguments->toText, "Bulk mode: the To field's text")->needs(bulk);
    command->add_option("--block-file", arguments->blockFile, "Addresses not to mail (a sent log, say)");
    command->add_option("--partial", arguments->partial, "Only recipients START to END (START:END)");
    command->add_option("--after", arguments->after, "Only recipients added on or after this day");
    command->add_option("--before", arguments->before, "Only recipients added before this day");
    command->add_option("--filter", arguments->filters, "A send filter rule");
    command->add_option("--filters-file", arguments->filtersFile, "A send filter list (.gsf)");
    command->add_flag("--dsn", arguments->dsn, "Ask for delivery status notification");
    command->add_option("--custom-attachments", arguments->customAttachments,
                        "Attach the files named in these Additional Fields (1,2,3,4)");
    command->add_option("--server", arguments->servers,
                        "The SMTP server (HOST[:PORT]) for this mailing; given again, the extra servers");
    command->add_option("--connections", arguments->connections, "Mail over this many connections side by side")
        ->check(CLI::Range(1, 16));
    command->add_option("--rate", arguments->rate, "At most this many messages a minute (0: no limit)")
        ->check(CLI::NonNegativeNumber);
    command->add_option("--password-file", arguments->passwordFile,
                        "Read the SMTP password from the first line of this file "
                        "(else TIDECAST_SMTP_PASSWORD, else the settings)");
    command->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return runSend(context, *arguments); }; });
}

} // namespace tidecast::cli
