#include "cli/TransferCommands.h"

#include "cli/SignalStop.h"
#include "cli/StoreSession.h"
#include "cli/TerminalProgress.h"
#include "common/MailAddress.h"
#include "common/Text.h"
#include "filters/FilterFile.h"
#include "transfer/AddressHarvester.h"
#include "transfer/ImportEngine.h"
#include "transfer/ImportSetup.h"
#include "transfer/LayoutFile.h"
#include "transfer/TextLines.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tidecast::cli
{

namespace
{

struct TransferArguments
{
    std::string group;
    std::string source;
    bool harvest = false;
    std::string delimiter;
    std::optional<int> fields;
    std::string map;
    bool oneNameField = false;
    bool noDuplicateCheck = false;
    std::vector<std::string> filters;
    std::string filtersFile;
    std::string layout;
};

// A bar on a terminal, otherwise nothing but the final summary.
class CliImportProgress final : public transfer::ImportProgress
{
public:
    CliImportProgress(std::ostream& err, bool draw)
        : m_bar(err, draw)
    {}
    void setLabel(std::string_view text) override { m_bar.setLabel(text); }
    void setMaximum(std::int64_t maximum) override { m_bar.setMaximum(maximum); }
    void setValue(std::int64_t value) override { m_bar.setValue(value); }
    void setCounts(const transfer::ImportCounts&) override {}

private:
    TerminalProgress m_bar;
};

// The layout is guessed from the first line; the address field is looked for in the first few.
constexpr int kLinesExamined = 20;

// "Email Address=1,First Name=2": labels as the match-up lists name them.
bool parseMap(std::string_view text, int fieldCount, transfer::ColumnMapping& mapping, std::ostream& err)
{
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find(',', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto entry = text.substr(start, end - start);
        start = end + 1;
        const auto equals = entry.find('=');
        bool known = false;
        if (equals != std::string_view::npos) {
            const auto label = trimBlanks(entry.substr(0, equals));
            const auto number = transfer::leadingNumber(entry.substr(equals + 1));
            for (std::size_t i = 0; i < transfer::kMatchUpFields; ++i) {
                if (equalsIgnoreCase(transfer::matchUpFieldName(static_cast<transfer::MatchUpField>(i)), label) &&
                    number >= 0 && number <= fieldCount) {
                    mapping.sources[i] = static_cast<int>(number);
                    known = true;
                }
            }
        }
        if (!known) {
            err << "error: --map: not a field and input field number: " << entry << '\n';
            return false;
        }
    }
    return true;
}

int importRecipients(CliContext& context, const TransferArguments& arguments)
{
    StoreSession session(context);
    if (!session.requireGroup(arguments.group)) {
        return kExitRefused;
    }
    transfer::ImportRequest request;
    request.groupName = arguments.group;
    request.groupPath = session.groups().groupPath(arguments.group);
    request.dataFolder = context.paths.dataDir;
    request.checkDuplicates = !arguments.noDuplicateCheck;

    std::vector<std::string> lines;
    if (arguments.source == "-") {
        request.clipboard = std::string(std::istreambuf_iterator<char>(context.in), std::istreambuf_iterator<char>());
        std::istringstream in(*request.clipboard);
        lines = transfer::firstDataLines(in, kLinesExamined);
    } else {
        request.file = arguments.source;
        std::ifstream in(request.file, std::ios::binary);
        if (!in || std::filesystem::is_directory(request.file)) {
            context.prompter->message(transfer::kNoValidFileMessage, Icon::Exclamation);
            return kExitRefused;
        }
        lines = transfer::firstDataLines(in, kLinesExamined);
    }
    const std::string head = lines.empty() ? std::string() : lines.front();

    const auto guess = transfer::guessLayout(head);
    std::optional<transfer::Delimiter> delimiter;
    if (!arguments.delimiter.empty()) {
        delimiter = transfer::delimiterByName(arguments.delimiter == "semicolon" ? ";" : arguments.delimiter);
        if (!delimiter) {
            context.err << "error: --delimiter must be comma, tab, spaces or semicolon\n";
            return kExitUsage;
        }
    }
    // Without data there is nothing to lay out: the import itself says so.
    const bool noData = request.clipboard && trimBlanks(*request.clipboard).empty();
    const bool harvest = noData || arguments.harvest || (!delimiter && !guess.delimited && !arguments.fields);
    if (harvest) {
        request.layout = transfer::ImportLayout::Harvest;
    } else {
        request.layout = transfer::ImportLayout::Delimited;
        request.delimiter = delimiter.value_or(guess.delimiter.value_or(transfer::Delimiter::Comma));
        const char character = transfer::delimiterCharacter(request.delimiter);
        int count = arguments.fields.value_or(delimiter || !guess.delimiter ? transfer::countFields(head, character)
                                                                            : guess.fieldCount);
        auto& mapping = request.mapping;
        if (!arguments.layout.empty()) {
            const auto loaded = transfer::loadLayoutFile(arguments.layout, count, *context.prompter);
            if (!loaded) {
                return kExitRefused;
            }
            count = loaded->fieldCount;
            mapping.sources = loaded->positions;
        }
        mapping.fieldCount = std::clamp(count, 1, transfer::kMaxImportFields);
        mapping.oneNameField = arguments.oneNameField;
        if (!arguments.map.empty()) {
            if (!parseMap(arguments.map, mapping.fieldCount, mapping, context.err)) {
                return kExitUsage;
            }
        } else if (arguments.layout.empty()) {
            mapping.source(transfer::MatchUpField::EmailAddress) =
                transfer::guessAddressField(lines, request.delimiter, mapping.fieldCount);
        }
        if (!transfer::checkMatchUp(mapping, *context.prompter)) {
            return kExitRefused;
        }
    }

    request.filters = arguments.filters;
    if (!arguments.filtersFile.empty()) {
        auto loaded = filters::readFilterFile(arguments.filtersFile);
        if (!loaded) {
            context.prompter->message(filters::kInvalidFilterFileMessage, Icon::Exclamation);
            return kExitRefused;
        }
        request.filters.insert(request.filters.end(), loaded->begin(), loaded->end());
    }

    SignalStop stopOnSignals;
    CliImportProgress progress(context.err, context.errIsTerminal);
    SystemClock clock;
    const auto summary = transfer::runImport(request, progress, *context.prompter, clock, stopOnSignals.token());
    if (summary.refused) {
        return kExitRefused;
    }
    return reportImportSummary(context, summary);
}

// Prints the addresses that pass the seven checks and are mailboxes, one per line, in the order they are found.
// A file is read as the import reads it (UTF-16 with a byte-order mark decoded); stdin as clipboard text.
int harvest(CliContext& context, const TransferArguments& arguments)
{
    auto print = [&context](std::string_view candidate, transfer::CandidateVerdict verdict) {
        if (verdict == transfer::CandidateVerdict::Legal && isValidMailbox(candidate)) {
            context.out << candidate << '\n';
        }
    };
    if (arguments.source == "-") {
        return transfer::harvestStream(context.in, print) ? int(kExitDone) : int(kExitFailed);
    }
    if (!transfer::checkImportSource({arguments.source, std::nullopt}, *context.prompter)) {
        return kExitRefused;
    }
    NullProgress progress;
    const auto harvested =
        transfer::harvestSource(arguments.source, std::nullopt, print, progress, [] { return true; });
    return harvested ? int(kExitDone) : int(kExitFailed);
}

} // namespace

int reportImportSummary(CliContext& context, const transfer::ImportSummary& summary)
{
    context.out << "Added: " << summary.counts.added << "\nDuplicates: " << summary.counts.duplicates
                << "\nIgnored: " << summary.counts.ignored << "\nIllegal: " << summary.counts.illegal << '\n';
    switch (summary.ending) {
    case transfer::ImportEnding::Completed:
        return kExitDone;
    case transfer::ImportEnding::Stopped:
        return kExitStopped;
    case transfer::ImportEnding::ErrorsEncountered:
        break;
    }
    return kExitFailed;
}

void addTransferCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<TransferArguments>();
    auto* harvestCommand =
        app.add_subcommand("harvest", "Print the addresses a harvesting import would add, one per line");
    harvestCommand->add_option("SOURCE", arguments->source, "File to harvest, or - for stdin")->required();
    harvestCommand->callback(
        [arguments, &action] { action = [arguments](CliContext& context) { return harvest(context, *arguments); }; });

    auto* importCommand = app.add_subcommand("import", "Import recipients into a group from a file or stdin");
    importCommand->add_option("GROUP", arguments->group, "Destination group")->required();
    importCommand->add_option("SOURCE", arguments->source, "File to import, or - for stdin")->required();
    auto* harvestFlag = importCommand->add_flag("--harvest", arguments->harvest, "Harvest every address in the data");
    auto* delimiterOption =
        importCommand->add_option("--delimiter", arguments->delimiter, "comma, tab, spaces or semicolon");
    harvestFlag->excludes(delimiterOption);
    importCommand->add_option("--fields", arguments->fields, "Fields per line");
    importCommand->add_option("--map", arguments->map, "Match-up, as \"Email Address=1,First Name=2,...\"");
    importCommand->add_flag("--one-name-field", arguments->oneNameField, "The whole name is in one field");
    importCommand->add_flag("--no-duplicate-check", arguments->noDuplicateCheck, "Do not check for duplicates");
    importCommand->add_option("--filter", arguments->filters, "A filter rule in its text form");
    importCommand->add_option("--filters-file", arguments->filtersFile, "A filter list file (.tcf)");
    importCommand->add_option("--layout", arguments->layout, "An import layout file (.gil)");
    importCommand->callback([arguments, &action] {
        action = [arguments](CliContext& context) { return importRecipients(context, *arguments); };
    });
}

} // namespace tidecast::cli
