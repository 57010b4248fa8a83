#pragma once

#include "common/Clock.h"
#include "common/Prompter.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::messages
{

// Copies kept in the sent-message folder beyond this are not listed.
inline constexpr std::size_t kMaxListedMessages = 32000;
inline constexpr std::size_t kDescriptionLength = 100;

// One row of the "Previously Sent Messages" list.
struct MessageListEntry
{
    std::filesystem::path path;
    std::string group;
    std::string subject;
    std::string dateText; // the "DATE: " value as shown; the raw value when it cannot be read
    bool hasAttachments = false;
    std::string description;   // the first 100 characters of the body
    double hoursSinceSent = 0; // negative: hours from now back to the sending; 0 when unknown

    bool operator==(const MessageListEntry&) const = default;
};

// Reads a sent copy into a list entry (an unreadable file gives an entry with empty fields).
MessageListEntry readSentCopyEntry(const std::filesystem::path& path, const Clock& clock);

// Creates "Sent Messages" in the data folder when missing and reads every "*.tcm" there, in file
// name order, up to 32000.
std::vector<MessageListEntry> loadSentCopies(const std::filesystem::path& dataDir, const Clock& clock);

// The checks of the Open button: false after telling the person there is nothing (selected) to open.
bool canOpenListEntry(std::size_t entryCount, std::optional<std::size_t> selected, Prompter& prompter);

// The question asked before a list entry replaces a changed message.
enum class ListOpenChoice
{
    Open,
    SaveThenOpen,
    Stop,
};
ListOpenChoice askBeforeListOpen(bool textChanged, Prompter& prompter);

// The Delete button: checks, asks, deletes the file and removes the entry. True when an entry went.
bool deleteSentCopy(std::vector<MessageListEntry>& entries, std::optional<std::size_t> selected, Prompter& prompter);

} // namespace tidecast::messages
