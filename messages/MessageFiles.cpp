#include "messages/MessageFiles.h"

#include "common/Text.h"

#include <cstdio>
#include <system_error>

namespace tidecast::messages
{

namespace
{

// The folder a dialog's choice leaves behind for the next dialog of its kind.
std::string folderOf(const std::filesystem::path& path)
{
    return path.parent_path().string();
}

} // namespace

bool writeDocumentFile(const std::filesystem::path& path, std::string_view text, DocumentState& state,
                       Prompter& prompter)
{
    const std::string name = path.string();
    if (name.empty() || name == kDocumentExtension) {
        return false;
    }
    std::string content(text);
    content.append(kCrLf);
    if (!writeWholeFile(path, content)) {
        prompter.message("Error saving message.", Icon::Exclamation);
        return false;
    }
    state.documentName = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
    return true;
}

std::string chooseDocumentFileName(const std::string& defaultName, FileChooser& chooser, settings::Settings& settings)
{
    FileDialogRequest request{"Save the current message", std::string(kDocumentFilter), settings.lastSaveFolder,
                              defaultName};
    const auto chosen = chooser.saveFile(request);
    if (!chosen || chosen->empty()) {
        return {};
    }
    settings.lastSaveFolder = folderOf(*chosen);
    return chosen->string();
}

bool saveDocument(const MessageDocument& document, DocumentState& state, FileChooser& chooser,
                  settings::Settings& settings, Prompter& prompter, const Clock& clock)
{
    const std::string text = buildMessageDocument(document, DocumentKind::Saved, clock.now());
    const std::string defaultName =
        (state.documentName.empty() ? document.subject : state.documentName) + std::string(kDocumentExtension);
    const std::string path = chooseDocumentFileName(defaultName, chooser, settings);
    if (path.empty()) {
        return false;
    }
    state.textChanged = false;
    writeDocumentFile(path, text, state, prompter);
    return true;
}

std::filesystem::path nextSentCopyPath(const std::filesystem::path& dataDir)
{
    const auto folder = dataDir / kSentFolder;
    for (unsigned long n = 0;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "i%09lu.tcm", n);
        auto candidate = folder / name;
        std::error_code ec;
        if (!std::filesystem::exists(candidate, ec)) {
            return candidate;
        }
    }
}

std::optional<MessageListEntry> saveSentCopy(const MessageDocument& document, const std::string& sentGroup,
                                             const std::filesystem::path& dataDir, DocumentState& state,
                                             Prompter& prompter, const Clock& clock)
{
    MessageDocument copy = document;
    if (!sentGroup.empty()) {
        copy.group = sentGroup;
    }
    const std::string text = buildMessageDocument(copy, DocumentKind::Sent, clock.now());
    const auto path = nextSentCopyPath(dataDir);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    state.textChanged = false;
    if (!writeDocumentFile(path, text, state, prompter)) {
        return std::nullopt;
    }
    return readSentCopyEntry(path, clock);
}

SaveChoice askSaveFirst(const DocumentState& state, Prompter& prompter)
{
    if (!state.textChanged) {
        return SaveChoice::Continue;
    }
    switch (
        prompter.ask("Do you want to save this message first?", Buttons::YesNoCancel, Icon::Question, Answer::Yes)) {
    case Answer::Yes:
        return SaveChoice::SaveThenContinue;
    case Answer::No:
        return SaveChoice::Continue;
    default:
        return SaveChoice::Stop;
    }
}

std::optional<std::filesystem::path> chooseMessageToOpen(FileChooser& chooser, settings::Settings& settings)
{
    FileDialogRequest request{
        "Choose an existing Corvane Tidecast Message", std::string(kOpenFilter), settings.lastOpenFolder, {}};
    auto chosen = chooser.openFile(request);
    if (!chosen || chosen->empty()) {
        return std::nullopt;
    }
    settings.lastOpenFolder = folderOf(*chosen);
    return chosen;
}

std::string chooseHtmlFileName(FileChooser& chooser, settings::Settings& settings)
{
    FileDialogRequest request{
        "Select a HTML File message file...", std::string(kHtmlFilter), settings.lastHtmlFolder, {}};
    const auto chosen = chooser.openFile(request);
    if (!chosen || chosen->empty()) {
        return {};
    }
    settings.lastHtmlFolder = folderOf(*chosen);
    return chosen->string();
}

std::optional<std::string> readChosenTextFile(FileChooser& chooser)
{
    FileDialogRequest request{
        "Embed the contents of a Text file...", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", {}, {}};
    const auto chosen = chooser.openFile(request);
    if (!chosen || chosen->empty()) {
        return std::nullopt;
    }
    return toUtf8(readWholeFile(*chosen));
}

} // namespace tidecast::messages
