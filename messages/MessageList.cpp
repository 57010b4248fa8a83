#include "messages/MessageList.h"

#include "common/Text.h"
#include "messages/MessageDocument.h"

#include <algorithm>
#include <system_error>

namespace tidecast::messages
{

MessageListEntry readSentCopyEntry(const std::filesystem::path& path, const Clock& clock)
{
    const std::string text = toUtf8(readWholeFile(path));
    MessageListEntry entry;
    entry.path = path;
    entry.subject = headerValue(text, "SUBJECT: ").value_or(std::string());
    entry.group = headerValue(text, "GROUP: ").value_or(std::string());
    const std::string date = headerValue(text, "DATE: ").value_or(std::string());
    entry.dateText = date;
    if (const auto sent = parseDocumentDate(date)) {
        entry.dateText = formatDocumentDate(*sent);
        const std::chrono::duration<double, std::ratio<3600>> since = clock.now() - *sent;
        entry.hoursSinceSent = -since.count();
    }
    entry.hasAttachments = !trimBlanks(headerValue(text, "ATTACHMENTS: ").value_or(std::string())).empty();
    entry.description = cutToChars(messageBody(text), kDescriptionLength);
    return entry;
}

std::vector<MessageListEntry> loadSentCopies(const std::filesystem::path& dataDir, const Clock& clock)
{
    const auto folder = dataDir / kSentFolder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto& path = it->path();
        if (equalsIgnoreCase(path.extension().string(), kSentExtension) && it->is_regular_file(ec)) {
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.size() > kMaxListedMessages) {
        files.resize(kMaxListedMessages);
    }

    std::vector<MessageListEntry> entries;
    entries.reserve(files.size());
    for (const auto& path : files) {
        entries.push_back(readSentCopyEntry(path, clock));
    }
    return entries;
}

bool canOpenListEntry(std::size_t entryCount, std::optional<std::size_t> selected, Prompter& prompter)
{
    if (entryCount == 0) {
        prompter.message("There are no messages to open.", Icon::Exclamation);
        return false;
    }
    if (!selected || *selected >= entryCount) {
        prompter.message("Please select a message to open first.", Icon::Exclamation);
        return false;
    }
    return true;
}

ListOpenChoice askBeforeListOpen(bool textChanged, Prompter& prompter)
{
    if (!textChanged) {
        return ListOpenChoice::Open;
    }
    const std::string question = std::string("The message that you are currently editing has not been saved.") +
                                 std::string(kCrLf) + "Do you want to save the current message first?";
    switch (prompter.ask(question, Buttons::YesNoCancel, Icon::Question, Answer::Yes)) {
    case Answer::Yes:
        return ListOpenChoice::SaveThenOpen;
    case Answer::No:
        return ListOpenChoice::Open;
    default:
        return ListOpenChoice::Stop;
    }
}

bool deleteSentCopy(std::vector<MessageListEntry>& entries, std::optional<std::size_t> selected, Prompter& prompter)
{
    if (entries.empty()) {
        prompter.message("There are no messages to delete.", Icon::Exclamation);
        return false;
    }
    if (!selected || *selected >= entries.size()) {
        prompter.message("Please select a message to delete first.", Icon::Exclamation);
        return false;
    }
    if (prompter.ask("Are you sure you wish to delete this message permanently.", Buttons::YesNo, Icon::Question,
                     Answer::No) != Answer::Yes) {
        return false;
    }
    const auto index = static_cast<std::ptrdiff_t>(*selected);
    std::error_code ec;
    if (!std::filesystem::remove(entries[*selected].path, ec) && !ec) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (ec) {
        prompter.message("Message Delete Error : " + std::to_string(ec.value()) + " : " + ec.message(),
                         Icon::Exclamation);
        return false;
    }
    entries.erase(entries.begin() + index);
    return true;
}

} // namespace tidecast::messages
