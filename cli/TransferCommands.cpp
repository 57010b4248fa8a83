#include "cli/TransferCommands.h"

#include "transfer/AddressHarvester.h"

#include <fstream>
#include <memory>
#include <string>

namespace tidecast::cli
{

namespace
{

constexpr std::string_view kNoValidFile = "Please select a valid file to import first.";

struct TransferArguments
{
    std::string source;
};

// Prints the addresses that pass the seven checks, one per line, in the order they are found.
int harvest(CliContext& context, const TransferArguments& arguments)
{
    auto print = [&context](std::string_view candidate, transfer::CandidateVerdict verdict) {
        if (verdict == transfer::CandidateVerdict::Legal) {
            context.out << candidate << '\n';
        }
    };
    if (arguments.source == "-") {
        return transfer::harvestStream(context.in, print) ? int(kExitDone) : int(kExitFailed);
    }
    std::ifstream file(arguments.source, std::ios::binary);
    if (!file) {
        context.prompter->message(kNoValidFile, Icon::Exclamation);
        return kExitRefused;
    }
    return transfer::harvestStream(file, print) ? int(kExitDone) : int(kExitFailed);
}

} // namespace

void addTransferCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<TransferArguments>();
    auto* harvestCommand =
        app.add_subcommand("harvest", "Print the addresses a harvesting import would add, one per line");
    harvestCommand->add_option("SOURCE", arguments->source, "File to harvest, or - for stdin")->required();
    harvestCommand->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return harvest(context, *arguments); }; });
}

} // namespace tidecast::cli
