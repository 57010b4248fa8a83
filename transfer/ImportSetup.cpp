#include "transfer/ImportSetup.h"

#include "common/Text.h"
#include "transfer/TextLines.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tidecast::transfer
{

namespace
{

constexpr std::string_view kFromClipboard = "From Clipboard";

bool looksLikeAddress(std::string_view value)
{
    return value.find('@') != std::string_view::npos && value.find('.') != std::string_view::npos;
}

} // namespace

bool checkImportSource(const ImportSource& source, Prompter& prompter, Icon missingFile)
{
    if (source.clipboard) {
        if (trimBlanks(*source.clipboard).empty()) {
            prompter.message(kEmptyClipboardMessage, Icon::Exclamation);
            return false;
        }
        return true;
    }
    std::error_code error;
    if (source.file.empty() || !std::filesystem::is_regular_file(source.file, error)) {
        prompter.message(kNoValidFileMessage, missingFile);
        return false;
    }
    return true;
}

std::string importSourceText(const ImportSource& source)
{
    return source.clipboard ? std::string(kFromClipboard) : source.file.string();
}

std::vector<std::string> firstDataLines(std::istream& in, int limit)
{
    LineReader reader(in);
    std::vector<std::string> lines;
    std::string_view line;
    while (static_cast<int>(lines.size()) < limit && reader.next(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

std::vector<std::string> firstDataLines(const ImportSource& source, int limit)
{
    if (source.clipboard) {
        std::istringstream in(*source.clipboard);
        return firstDataLines(in, limit);
    }
    std::ifstream in(source.file, std::ios::binary);
    return firstDataLines(in, limit);
}

int clampFieldCount(long long count)
{
    return static_cast<int>(std::clamp<long long>(count, 1, kMaxImportFields));
}

std::vector<std::string> matchUpEntries(std::string_view firstLine, Delimiter delimiter, int fieldCount)
{
    std::vector<std::string_view> fields;
    splitFields(firstLine, delimiterCharacter(delimiter), fieldCount, fields);
    std::vector<std::string> entries{std::string(kBlankEntry)};
    for (int k = 1; k <= fieldCount; ++k) {
        auto entry = "Input Field " + std::to_string(k);
        const auto value = static_cast<std::size_t>(k) <= fields.size() ? trimBlanks(fields[k - 1]) : "";
        if (!value.empty()) {
            entry += "    (" + std::string(value) + ")";
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

int guessAddressField(const std::vector<std::string>& lines, Delimiter delimiter, int fieldCount)
{
    std::vector<std::string_view> fields;
    for (const auto& line : lines) {
        if (!looksLikeAddress(line)) {
            continue;
        }
        splitFields(line, delimiterCharacter(delimiter), fieldCount, fields);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (looksLikeAddress(fields[i])) {
                return static_cast<int>(i) + 1;
            }
        }
    }
    return 0;
}

bool checkMatchUp(const ColumnMapping& mapping, Prompter& prompter)
{
    if (mapping.source(MatchUpField::EmailAddress) > 0) {
        return true;
    }
    prompter.message(kMatchUpEmailMessage, Icon::Exclamation);
    return false;
}

bool checkDestination(std::string_view groupName, Prompter& prompter)
{
    if (!groupName.empty()) {
        return true;
    }
    prompter.message(kNoDestinationMessage, Icon::Exclamation);
    return false;
}

ImportDescription describeImport(const ImportRequest& request)
{
    ImportDescription description;
    description.source = importSourceText({request.file, request.clipboard});
    if (request.layout == ImportLayout::Delimited) {
        description.type = "Type: Delimited";
        description.delimiter = "Delimiter: " + std::string(delimiterName(request.delimiter));
        description.fields = "Fields: " + std::to_string(request.mapping.fieldCount);
    } else {
        description.type = "Type: All other File/Data formats";
        description.delimiter = "Delimiter: none";
        description.fields = "Fields: 1";
    }
    return description;
}

} // namespace tidecast::transfer
