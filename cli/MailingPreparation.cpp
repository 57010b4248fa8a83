#include "cli/MailingPreparation.h"

#include "cli/StoreSession.h"
#include "common/Text.h"
#include "filters/FilterEvaluators.h"
#include "filters/FilterFile.h"
#include "mailing/SendCommand.h"
#include "mailing/SendOptionsForm.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <tuple>

namespace tidecast::cli
{

namespace
{

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

// "host" or "host:port"; an IPv6 address is written in brackets when a port follows it.
bool applyServer(const std::string& text, settings::Settings& settings)
{
    std::string host = text;
    std::optional<std::string> port;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':')) {
            return false;
        }
        host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            port = text.substr(close + 2);
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        const auto colon = text.find(':');
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (host.empty()) {
        return false;
    }
    if (port) {
        if (port->empty() || port->size() > 5 || port->find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(*port) < 1 || std::stoi(*port) > 65535) {
            return false;
        }
        settings.smtpPort = std::stoi(*port);
    }
    settings.smtpServer = host;
    return true;
}

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

// The boxes of the send options from the arguments, with the dialog's own rules for each.
// kExitDone, or the exit status of the refusal.
int fillEntries(CliContext& context, mailing::SendOptionsForm& form, const MailingArguments& arguments)
{
    auto& entries = form.entries();
    // Custom attachments first: choosing bulk mode asks about dropping them, as the dialog does.
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
    // A block file that is not there would mail everybody again after a typo on a resume.
    if (!arguments.blockFile.empty() && !form.chooseBlockFile(arguments.blockFile)) {
        return kExitRefused;
    }
    if (!arguments.partial.empty()) {
        const auto colon = arguments.partial.find(':');
        if (colon == std::string::npos) {
            context.err << "error: --partial takes START:END\n";
            return kExitUsage;
        }
        for (const char key : arguments.partial.substr(0, colon) + arguments.partial.substr(colon + 1)) {
            if (!form.acceptPartialKey(static_cast<unsigned char>(key))) {
                return kExitUsage;
            }
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
    return kExitDone;
}

} // namespace

std::optional<CliMailing> prepareMailing(CliContext& context, const MailingArguments& arguments, MailingPurpose purpose,
                                         int& status)
{
    auto refuse = [&status](int exitStatus) -> std::optional<CliMailing> {
        status = exitStatus;
        return std::nullopt;
    };
    auto& prompter = *context.prompter;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(arguments.messageFile, ec)) {
        prompter.message("The message file \"" + arguments.messageFile + "\" does not exist.", Icon::Critical);
        return refuse(kExitRefused);
    }
    const auto document = messages::readMessageDocument(arguments.messageFile);
    const std::string groupName = arguments.group.empty() ? document.group : arguments.group;

    auto settings = settings::loadSettings(context.paths);
    if (!arguments.servers.empty()) {
        for (const auto& server : arguments.servers) {
            if (settings::Settings probe; !applyServer(server, probe)) {
                context.err << "error: --server takes HOST or HOST:PORT, not " << server << '\n';
                return refuse(kExitUsage);
            }
        }
        applyServer(arguments.servers.front(), settings);
        settings.extraServers.clear();
        for (auto extra = arguments.servers.begin() + 1; extra != arguments.servers.end(); ++extra) {
            settings.extraServers += (settings.extraServers.empty() ? "" : ",") + *extra;
        }
    }
    if (arguments.rate >= 0) {
        settings.rateLimit = arguments.rate;
    }
    if (arguments.connections > 0) {
        settings.connections = arguments.connections;
    }
    // The SMTP password need not be in "ej.dat" nor on a command line: a file or the environment.
    if (!arguments.passwordFile.empty()) {
        const auto lines = splitLines(readWholeFile(arguments.passwordFile));
        if (!std::filesystem::is_regular_file(arguments.passwordFile, ec) || lines.empty()) {
            context.err << "error: Cannot read the password file " << arguments.passwordFile << '\n';
            return refuse(kExitRefused);
        }
        settings.smtpPassword = lines.front();
    } else if (const char* password = std::getenv("TIDECAST_SMTP_PASSWORD"); password != nullptr && *password) {
        settings.smtpPassword = password;
    } else if (settings.passwordsInKeyring && settings.smtpAuthentication) {
        context.err << "error: The SMTP password is kept in the desktop keyring: give it with --password-file or "
                       "TIDECAST_SMTP_PASSWORD\n";
        return refuse(kExitRefused);
    }
    StoreSession store(context);
    std::vector<std::string> groups;
    for (const auto& row : store.groups().loadGroups()) {
        groups.push_back(row.name);
    }

    const outgoing::ComposedMessage message = mailing::composedMessage(document);

    CliSendHost host;
    auto prepared = mailing::prepareSend(settings, context.paths.dataDir, groups, groupName, message, host, prompter);
    if (!prepared) {
        return refuse(kExitRefused);
    }

    // The send options, through the same rules as the dialog.
    mailing::SendOptions options = prepared->options;
    mailing::SendOptionsForm form(options, prepared->settings, context.paths, prompter);
    form.open({groups, message.body, message.htmlPath, prepared->identity, today(), message.subject});
    if (const int filled = fillEntries(context, form, arguments); filled != kExitDone) {
        return refuse(filled);
    }
    const auto checked = purpose == MailingPurpose::Send ? form.send() : form.preview();
    if (!checked.accepted) {
        return refuse(kExitRefused);
    }
    return CliMailing{document,
                      {prepared->settings, options, message, context.paths.dataDir, context.paths.settingsFile()}};
}

} // namespace tidecast::cli
