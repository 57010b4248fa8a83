#pragma once

#include "common/Prompter.h"
#include "transfer/DelimitedText.h"
#include "transfer/ImportEngine.h"

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

// The rules and texts of the import wizard's pages, shared by the desktop wizard and
// tidecast-cli so both check the same things and say the same words.

inline constexpr std::string_view kNoValidFileMessage = "Please select a valid file to import first.";
inline constexpr std::string_view kEmptyClipboardMessage =
    "These appears to be no data currently on the clipboard. Please copy your data to the Windows clipboard before "
    "proceeding.";
inline constexpr std::string_view kMatchUpEmailMessage = "You must match up the Email Address field in the import "
                                                         "file to the Email Address field in the Tidecast database.";
inline constexpr std::string_view kNoDestinationMessage =
    "Please select a valid destination Group for the data to be imported.";
inline constexpr std::string_view kImportMoreText = "To Import more Recipient information please use the 'Previous' "
                                                    "button below and select the options you desire.";
inline constexpr std::string_view kSelectInputTitle = "Select input file to import data from";
inline constexpr std::string_view kInputFileTypes = "All files (*.*)|*.*";
inline constexpr std::string_view kInputFolderKey = "LastImportDir";
inline constexpr std::string_view kBlankEntry = "(blank)";

// The data the wizard reads: a file, or the clipboard's text when there is one.
struct ImportSource
{
    std::filesystem::path file;
    std::optional<std::string> clipboard;
};

// Next on the source page: the file must exist, the clipboard must hold more than blanks. A missing
// file is an exclamation in the wizard and a critical message in the exclusion import.
bool checkImportSource(const ImportSource& source, Prompter& prompter, Icon missingFile = Icon::Exclamation);

// What a progress window shows after "Importing:": the path, or "From Clipboard".
std::string importSourceText(const ImportSource& source);

// The first lines of the data, decoded as the import reads them; at most `limit`.
std::vector<std::string> firstDataLines(std::istream& in, int limit);
std::vector<std::string> firstDataLines(const ImportSource& source, int limit);

// A count typed in the count box as the match-up page takes it: 1 to 200.
int clampFieldCount(long long count);

// The entries of every match-up list: "(blank)", then "Input Field k", followed by four blanks
// and the value in parentheses when the first line has a non-blank value in field k.
std::vector<std::string> matchUpEntries(std::string_view firstLine, Delimiter delimiter, int fieldCount);

// The field the address list starts at after a rebuild: the first field holding "@" and "." in
// the first line that has one (a header row has none); 0 when no line has one.
int guessAddressField(const std::vector<std::string>& lines, Delimiter delimiter, int fieldCount);

// Next on the match-up page: the address must be matched up.
bool checkMatchUp(const ColumnMapping& mapping, Prompter& prompter);

// Next on the destination page: a group must be selected.
bool checkDestination(std::string_view groupName, Prompter& prompter);

// What the progress window shows of an import: "Importing:" the source, the type, the delimiter
// and the field count.
struct ImportDescription
{
    std::string source;    // the path, or "From Clipboard"
    std::string type;      // "Type: Delimited" or "Type: All other File/Data formats"
    std::string delimiter; // "Delimiter: COMMA", "Delimiter: none"
    std::string fields;    // "Fields: 9", "Fields: 1"
};
ImportDescription describeImport(const ImportRequest& request);

} // namespace tidecast::transfer
