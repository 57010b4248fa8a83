#include "cli/ExportCommands.h"

#include "cli/SignalStop.h"
#include "cli/StoreSession.h"
#include "cli/TerminalProgress.h"
#include "common/Text.h"
#include "settings/SettingsStore.h"
#include "store/GroupNames.h"
#include "store/StoreTexts.h"
#include "transfer/ExclusionList.h"
#include "transfer/ExportSources.h"
#include "transfer/Exporter.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tidecast::cli
{

namespace
{

struct ExportArguments
{
    std::vector<std::string> positionals;
    std::string group;
    bool exclusion = false;
    std::string output;
    std::string fields;
    std::string delimiter = "comma";
    bool header = false;
    std::string sort;
    std::vector<std::string> filters;
    bool byteOrderMark = false;
};

const std::map<std::string, transfer::ExportDelimiter> kDelimiters = {
    {"comma", transfer::ExportDelimiter::Comma},
    {"tab", transfer::ExportDelimiter::Tab},
    {"spaces", transfer::ExportDelimiter::Spaces},
    {"semicolon", transfer::ExportDelimiter::Semicolon},
};

// The labels of --fields, each one of the source's field list.
std::optional<std::vector<std::string>> chosenFields(CliContext& context, const std::string& text,
                                                     transfer::ExportSource source)
{
    const auto& offered = transfer::exportFieldLabels(source);
    std::vector<std::string> fields;
    for (const auto& piece : splitLines(replaceAll(text, ",", "\n"))) {
        const auto label = std::string(trimBlanks(piece));
        const auto found = std::find_if(offered.begin(), offered.end(),
                                        [&label](const std::string& name) { return equalsIgnoreCase(name, label); });
        if (found == offered.end()) {
            context.err << "error: Not a field of this export: " << label << '\n';
            return std::nullopt;
        }
        fields.push_back(*found);
    }
    return fields;
}

int runExport(CliContext& context, const ExportArguments& arguments)
{
    using transfer::ExportSource;
    transfer::ExportRequest request;
    request.source = arguments.exclusion ? ExportSource::ExclusionList : ExportSource::Recipients;
    const auto fields = chosenFields(context, arguments.fields, request.source);
    if (!fields) {
        return kExitUsage;
    }
    request.fields = *fields;
    request.output = arguments.output;
    request.delimiter = kDelimiters.at(arguments.delimiter);
    request.header = arguments.header;
    request.byteOrderMark = arguments.byteOrderMark;
    request.filterRules = arguments.filters;
    const bool doubleByteSafe =
        settings::parseFlag(settings::readValue(context.paths.settingsFile(), "Server Setup", "DBSafe Delete", "0"));
    if (!arguments.sort.empty()) {
        const auto& sortable = transfer::exportSortLabels(request.source);
        const auto found = std::find_if(sortable.begin(), sortable.end(), [&arguments](const std::string& name) {
            return equalsIgnoreCase(name, arguments.sort);
        });
        if (found == sortable.end()) {
            context.err << "error: Not a sort field of this export: " << arguments.sort << '\n';
            return kExitUsage;
        }
        if (!transfer::sortAvailable(doubleByteSafe, *context.prompter)) {
            return kExitRefused;
        }
        request.sortField = *found;
    }
    std::string sourceName = std::string(store::kExclusionListName);
    if (arguments.exclusion) {
        request.sourceFile = transfer::ExclusionList::filePath(context.paths.dataDir);
    } else {
        StoreSession session(context);
        if (!session.requireGroup(arguments.group)) {
            return kExitRefused;
        }
        sourceName = arguments.group;
        request.sourceFile = session.groups().groupPath(arguments.group);
    }
    // The history keeps a path that still leads to the file from another folder.
    if (!request.output.empty()) {
        request.output = std::filesystem::absolute(request.output);
    }
    SignalStop stopOnSignals;
    if (!transfer::beginExport(request, sourceName, context.paths.dataDir, *context.prompter)) {
        return kExitRefused;
    }
    NullStatusSink status;
    TerminalProgress progress(context.err, context.errIsTerminal);
    transfer::Exporter exporter(*context.prompter, progress, status);
    const auto outcome = exporter.run(request, doubleByteSafe, stopOnSignals.token());
    if (outcome.status == transfer::ExportStatus::Refused) {
        return kExitRefused;
    }
    context.out << "Exported: " << outcome.counts.exported << "\nIgnored: " << outcome.counts.ignored << '\n';
    switch (outcome.status) {
    case transfer::ExportStatus::Completed:
        return kExitDone;
    case transfer::ExportStatus::Stopped:
        return kExitStopped;
    default:
        return kExitFailed;
    }
}

} // namespace

void addExportCommands(CLI::App& app, CommandAction& action)
{
    auto arguments = std::make_shared<ExportArguments>();
    auto* command = app.add_subcommand("export", "Write a group or the exclusion list to a delimited text file");
    command->add_flag("--exclusion", arguments->exclusion, "Export the exclusion list");
    command->add_option("SOURCE_AND_OUT", arguments->positionals, "GROUP and OUT, or OUT with --exclusion")
        ->expected(1, 2)
        ->required();
    command->add_option("--fields", arguments->fields, "Field labels in output order, comma-separated")->required();
    command->add_option("--delimiter", arguments->delimiter, "comma, tab, spaces or semicolon")
        ->check(CLI::IsMember({"comma", "tab", "spaces", "semicolon"}));
    command->add_flag("--header", arguments->header, "Field names on the first row");
    command->add_option("--sort", arguments->sort, "Sort the group by this field first");
    command->add_option("--filter", arguments->filters, "An export filter rule");
    command->add_flag("--bom", arguments->byteOrderMark, "Begin with a byte-order mark (for spreadsheets)");
    command->callback([arguments, &action] {
        arguments->output = arguments->positionals.back();
        arguments->group = arguments->positionals.size() == 2 ? arguments->positionals.front() : std::string();
        action = [arguments](CliContext& context) {
            if (arguments->exclusion == !arguments->group.empty()) {
                context.err << "error: Give either a GROUP or --exclusion, and OUT\n";
                return int(kExitUsage);
            }
            return runExport(context, *arguments);
        };
    });
}

} // namespace tidecast::cli
