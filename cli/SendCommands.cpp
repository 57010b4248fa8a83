#include "cli/SendCommands.h"

#include "cli/StoreSession.h"
#include "common/Text.h"
#include "filters/FilterEvaluators.h"
#include "filters/FilterFile.h"
#include "mailing/Mailing.h"
#include "mailing/SendCommand.h"
#include "mailing/SendOptionsForm.h"
#include "messages/MessageDocument.h"
#include "settings/SettingsStore.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::cli
{

namespace
{

struct SendArguments
{
    std::string messageFile;
    std::string group;
    bool bulk = false;
    std::optional<std::string> toText;
    std::string blockFile;
    std::string partial;
    std::string after;
    std::string before;
    std::vector<std::string> filters;
    std::string filtersFile;
    bool dsn = false;
    std::string customAttachments;
    std::string server;
};

// The command line has no spelling dialog: the check before sending is taken as done, and the
// setup dialogs the desktop would open are left to `settings set`.
class CliSendHost final : public mailing::SendCommandHost
{
public:
    void closeDatabases() override {}
    mailing::SpellCheckOutcome checkSpellingBeforeSending() override { return mailing::SpellCheckOutcome::Completed; }
    void openServerSetup() override {}
    void openIdentitySetup() override {}
    void setFocus(mailing::SendFocus) override {}
};

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

std::optional<std::chrono::year_month_day> parseDay(const std::string& text)
{
    if (text.size() != 10) {
        return std::nullopt;
    }
    auto day = filters::parseDateAdded(text);
    if (!day || !day->ok()) {
        return std::nullopt;
    }
    return day;
}

std::chrono::year_month_day today()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    return std::chrono::year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday;
}

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

int runSend(CliContext& context, const SendArguments& arguments)
{
    auto& prompter = *context.prompter;
    const auto document = messages::ParseMessage(arguments.messageFile);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(arguments.messageFile, ec)) {
        context.err << "error: Cannot read the message " << arguments.messageFile << '\n';
        return kExitRefused;
    }
    const std::string groupName = arguments.group.empty() ? document.group : arguments.group;

    auto settings = settings::LoadGeneralSettings(context.paths);
    if (!arguments.server.empty()) {
        settings.smtpServer = arguments.server;
    }
    StoreSession store(context);
    std::vector<std::string> groups;
    for (const auto& row : store.groups().LoadDBGroups()) {
        groups.push_back(row.name);
    }

    mailing::ComposedMessage message;
    message.subject = document.subject;
    message.body = document.body;
    message.htmlPath = document.htmlPath;
    message.attachments = document.attachments;
    message.priorityIndex = document.priority.value_or(1);

    CliSendHost host;
    auto prepared = mailing::prepareSend(settings, context.paths.dataDir, groups, groupName, message, host, prompter);
    if (!prepared) {
        return kExitRefused;
    }

    // The send options, through the same rules as the dialog.
    mailing::SendOptions options = prepared->options;
    mailing::SendOptionsForm form(options, prepared->settings, context.paths, prompter);
    form.open({groups, message.body, message.htmlPath, prepared->identity, today()});
    auto& entries = form.entries();
    if (arguments.bulk) {
        if (!form.chooseBulk()) {
            return kExitRefused;
        }
        if (arguments.toText) {
            entries.toText = *arguments.toText;
        }
    } else {
        form.choosePersonal();
    }
    entries.dsn = arguments.dsn;
    entries.blockFile = arguments.blockFile;
    if (!arguments.partial.empty()) {
        const auto colon = arguments.partial.find(':');
        if (colon == std::string::npos) {
            context.err << "error: --partial takes START:END\n";
            return kExitUsage;
        }
        entries.partial = true;
        entries.partialStart = arguments.partial.substr(0, colon);
        entries.partialEnd = arguments.partial.substr(colon + 1);
        form.leaveStartBox();
        form.leaveEndBox();
    }
    for (const auto& [text, on, day] : {std::tuple{arguments.after, &entries.afterOn, &entries.afterDate},
                                        std::tuple{arguments.before, &entries.beforeOn, &entries.beforeDate}}) {
        if (text.empty()) {
            continue;
        }
        const auto parsed = parseDay(text);
        if (!parsed) {
            context.err << "error: Dates are written YYYY-MM-DD: " << text << '\n';
            return kExitUsage;
        }
        *on = true;
        *day = *parsed;
    }
    if (!arguments.filtersFile.empty()) {
        auto list = filters::readFilterFile(arguments.filtersFile);
        if (!list) {
            context.err << "error: Cannot read the filter list " << arguments.filtersFile << '\n';
            return kExitRefused;
        }
        entries.filters = std::move(*list);
    }
    entries.filters.insert(entries.filters.end(), arguments.filters.begin(), arguments.filters.end());
    if (!arguments.customAttachments.empty()) {
        entries.sendCustomAttachments = true;
        for (const auto& piece : splitLines(replaceAll(arguments.customAttachments, ",", "\n"))) {
            const auto field = std::atoi(piece.c_str());
            if (field < 1 || field > 4) {
                context.err << "error: --custom-attachments takes field numbers 1 to 4\n";
                return kExitUsage;
            }
            entries.attachFields[static_cast<std::size_t>(field - 1)] = true;
        }
    }
    if (!form.send().accepted) {
        return kExitRefused;
    }

    mailing::MailingSetup setup{prepared->settings, options, message, context.paths.dataDir,
                                context.paths.settingsFile()};
    NullProgress progress;
    BarMonitor monitor(context.err, context.errIsTerminal);
    SystemClock clock;
    mailing::Mailing mailing(std::move(setup), prompter, progress, monitor, clock);
    mailing.run();
    const auto result = mailing.result();
    if (result == mailing::SendResult::None) {
        return kExitRefused;
    }
    for (const auto& line : mailing::summaryLines(mailing.summary())) {
        context.out << line << '\n';
    }
    return exitStatusFor(result);
}

} // namespace

void addSendCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<SendArguments>();
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
    command->add_option("--server", arguments->server, "The SMTP server for this mailing");
    command->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return runSend(context, *arguments); }; });
}

} // namespace tidecast::cli
