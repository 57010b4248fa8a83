#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::messages
{

inline constexpr int kHighPriority = 0;
inline constexpr int kNormalPriority = 1;
inline constexpr int kLowPriority = 2;

// Written as the group of a message whose group selector was empty.
inline constexpr std::string_view kNoGroupsConfigured = "No Groups Configured.";

inline constexpr std::string_view kDocumentExtension = ".tcx";
inline constexpr std::string_view kSentExtension = ".tcm";
inline constexpr std::string_view kSentFolder = "Sent Messages";

// What the composer holds, in the form saved as a ".tcx" document or a ".tcm" sent copy.
struct MessageDocument
{
    std::vector<std::string> attachments; // full paths, in list order
    std::string group;                    // empty when the group selector is empty
    std::string subject;
    // 0 high, 1 normal, 2 low. A document read back without a priority value has none, and the
    // composer then keeps its current choice.
    std::optional<int> priority = kNormalPriority;
    std::string htmlPath;
    std::string body; // plain text with CR LF line breaks

    bool operator==(const MessageDocument&) const = default;
};

enum class DocumentKind
{
    Saved, // a user's ".tcx" document: "; Date created: "
    Sent,  // a sent copy: "; Date Sent: "
};

// Dates in documents: local time, "YYYY-MM-DD HH:MM:SS".
std::string formatDocumentDate(std::chrono::system_clock::time_point when);
std::optional<std::chrono::system_clock::time_point> parseDocumentDate(std::string_view text);

// The document text: the four comment lines and the seven keyed lines, joined by CR LF. The body
// runs to the end; the CR LF that ends the file is added when it is written (writeDocumentFile).
std::string buildMessageDocument(const MessageDocument& document, DocumentKind kind,
                                 std::chrono::system_clock::time_point when);

// The value of a header key: the text after the key's first occurrence anywhere in the document up
// to the next line end. No value when the key is missing or no line end follows it.
std::optional<std::string> headerValue(std::string_view text, std::string_view key);

// The body: everything after the first "ALTMESSAGE: ", or failing that after "MESSAGE: ", to the
// end of the text (so a saved and reread body gains the file's final CR LF). Empty when neither.
std::string messageBody(std::string_view text);

// Reads a document's text. Comment lines and "DATE: " are not read; a trailing comma or an empty
// piece in the attachment list gives no entry.
MessageDocument parseMessageText(std::string_view text);

// Reads a document file; an unreadable file reads as an empty document (with no priority).
// Latin-1 files are taken as well as UTF-8.
MessageDocument readMessageDocument(const std::filesystem::path& path);

// Any file, whole, as a plain-text body; empty when it cannot be read.
std::string readTextFile(const std::filesystem::path& path);

// True when the path names a message document: its last three characters, in any case, are "tcx".
bool isMessageDocumentPath(std::string_view path);

// Opens a file the way the Open command and the command line do: a document is parsed, anything
// else becomes the plain-text body of an otherwise empty message.
MessageDocument loadMessageFile(const std::filesystem::path& path);

} // namespace tidecast::messages
