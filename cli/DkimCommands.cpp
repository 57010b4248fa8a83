#include "cli/DkimCommands.h"

#include "outgoing/DeliverabilityTexts.h"
#include "outgoing/DkimSigner.h"
#include "settings/SettingsStore.h"

namespace tidecast::cli
{

void addDkimCommands(CLI::App& app, CommandAction& action)
{
    auto* record = app.add_subcommand(
        "dkim-record", "Print the DNS TXT record to publish at SELECTOR._domainkey.DOMAIN for the DKIM key");
    record->callback([&action] {
        action = [](CliContext& context) {
            const auto settings = settings::loadSettings(context.paths);
            if (!outgoing::DkimSigner::isConfigured(settings)) {
                context.prompter->message(outgoing::text::kDkimIncomplete, Icon::Critical);
                return int(kExitRefused);
            }
            const auto signer = outgoing::DkimSigner::create(settings);
            if (!signer) {
                context.prompter->message(signer.error().detail, Icon::Critical);
                return int(kExitRefused);
            }
            context.out << signer->dnsRecord() << '\n';
            return int(kExitDone);
        };
    });
}

} // namespace tidecast::cli
