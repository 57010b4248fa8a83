#pragma once

#include "common/Clock.h"
#include "common/Prompter.h"
#include "messages/FileChooser.h"
#include "messages/MessageDocument.h"
#include "messages/MessageList.h"
#include "settings/Settings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tidecast::messages
{

// The composer's bookkeeping that is not widget state: the file it was last saved to (without
// extension; empty for a new or opened message) and whether its text changed since.
struct DocumentState
{
    std::string documentName;
    bool textChanged = false;
};

inline constexpr std::string_view kDocumentFilter = "Corvane Tidecast Documents (*.tcx)|*.tcx";
inline constexpr std::string_view kOpenFilter =
    "Corvane Tidecast Documents (*.tcx)|*.tcx|HTML Documents (*.html;*.htm)|*.html;*.htm|"
    "Text Document (*.txt)|*.txt|All Files (*.*)|*.*";
inline constexpr std::string_view kHtmlFilter = "HTML Files|*.htm;*.html|Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

// Writes the text and the CR LF that ends every document, replacing the file. Nothing happens for
// an empty path or a bare ".tcx". On success the document name becomes the path less its last
// four characters; a failure says "Error saving message." and changes nothing.
bool writeDocumentFile(const std::filesystem::path& path, std::string_view text, DocumentState& state,
                       Prompter& prompter);

// The save dialog for documents, starting in the last save folder, which then follows the choice.
// Empty when cancelled.
std::string chooseDocumentFileName(const std::string& defaultName, FileChooser& chooser, settings::Settings& settings);

// Save: asks for a name (proposing the document name, else the subject, with ".tcx"), marks the
// text unchanged and writes the document. False when the dialog was cancelled.
bool saveDocument(const MessageDocument& document, DocumentState& state, FileChooser& chooser,
                  settings::Settings& settings, Prompter& prompter, const Clock& clock);

// The first free sent-copy path: "Sent Messages/i000000000.tcm", "i000000001.tcm", ... counting
// from 0, so a gap left by a deleted copy is filled first.
std::filesystem::path nextSentCopyPath(const std::filesystem::path& dataDir);

// Stores the copy of a message that was sent. `sentGroup` is the group the mailing went to (the
// document's own group when empty). Returns the new message-list entry, or nothing when the copy
// could not be written.
std::optional<MessageListEntry> saveSentCopy(const MessageDocument& document, const std::string& sentGroup,
                                             const std::filesystem::path& dataDir, DocumentState& state,
                                             Prompter& prompter, const Clock& clock);

// What to do before replacing a changed message.
enum class SaveChoice
{
    Continue,         // nothing to save, or the person chose not to
    SaveThenContinue, // Yes: save first (the caller runs saveDocument)
    Stop,             // Cancel
};

// "Do you want to save this message first?" when the text changed (New and Open).
SaveChoice askSaveFirst(const DocumentState& state, Prompter& prompter);

// The Open command's dialog, starting in the last open folder, which then follows the choice.
std::optional<std::filesystem::path> chooseMessageToOpen(FileChooser& chooser, settings::Settings& settings);

// The HTML message file dialog, starting in the last HTML folder when one is set. Empty when
// cancelled.
std::string chooseHtmlFileName(FileChooser& chooser, settings::Settings& settings);

// The text-file dialog of "Text from a File", and the text that replaces the body's selection:
// the whole file, or nothing when it cannot be read or no file was chosen.
std::optional<std::string> readChosenTextFile(FileChooser& chooser);

} // namespace tidecast::messages
