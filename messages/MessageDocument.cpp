#include "messages/MessageDocument.h"

#include "common/Text.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace tidecast::messages
{

namespace
{

constexpr std::string_view kAttachmentsKey = "ATTACHMENTS: ";
constexpr std::string_view kGroupKey = "GROUP: ";
constexpr std::string_view kSubjectKey = "SUBJECT: ";
constexpr std::string_view kPriorityKey = "PRIORITY: ";
constexpr std::string_view kHtmlKey = "HTML: ";
constexpr std::string_view kBodyKey = "ALTMESSAGE: ";
constexpr std::string_view kOldBodyKey = "MESSAGE: ";

std::optional<int> parsePriority(std::string_view text)
{
    text = trimBlanks(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end == text.data() || value < kHighPriority || value > kLowPriority) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string formatDocumentDate(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[32];
    const auto length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(buffer, length);
}

std::optional<std::chrono::system_clock::time_point> parseDocumentDate(std::string_view text)
{
    const std::string value(trimWhitespace(text));
    std::tm local{};
    int consumed = 0;
    if (std::sscanf(value.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &local.tm_year, &local.tm_mon, &local.tm_mday,
                    &local.tm_hour, &local.tm_min, &local.tm_sec, &consumed) != 6 ||
        static_cast<std::size_t>(consumed) != value.size()) {
        return std::nullopt;
    }
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(seconds);
}

std::string buildMessageDocument(const MessageDocument& document, DocumentKind kind,
                                 std::chrono::system_clock::time_point when)
{
    const std::string date = formatDocumentDate(when);
    std::string attachments;
    for (const auto& path : document.attachments) {
        if (!attachments.empty()) {
            attachments += ',';
        }
        attachments += path;
    }

    std::string text;
    auto line = [&text](std::string_view first, std::string_view second = {}) {
        text.append(first);
        text.append(second);
        text.append(kCrLf);
    };
    line("; ");
    line("; Corvane Tidecast Message");
    line(kind == DocumentKind::Sent ? "; Date Sent: " : "; Date created: ", date);
    line(";");
    line(kAttachmentsKey, attachments);
    line(kGroupKey, document.group.empty() ? kNoGroupsConfigured : std::string_view(document.group));
    line("DATE: ", date);
    line(kSubjectKey, document.subject);
    line(kPriorityKey, std::to_string(document.priority.value_or(kNormalPriority)));
    line(kHtmlKey, document.htmlPath);
    text.append(kBodyKey);
    text.append(document.body);
    return text;
}

std::optional<std::string> headerValue(std::string_view text, std::string_view key)
{
    const auto at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const auto start = at + key.size();
    // Documents are written with CR LF; files edited elsewhere may end lines with LF alone.
    const auto end = text.find('\n', start);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    auto value = text.substr(start, end - start);
    if (!value.empty() && value.back() == '\r') {
        value.remove_suffix(1);
    }
    return std::string(value);
}

std::string messageBody(std::string_view text)
{
    for (const auto key : {kBodyKey, kOldBodyKey}) {
        const auto at = text.find(key);
        if (at != std::string_view::npos) {
            return std::string(text.substr(at + key.size()));
        }
    }
    return {};
}

MessageDocument parseMessageText(std::string_view text)
{
    MessageDocument document;
    document.priority.reset();
    if (const auto attachments = headerValue(text, kAttachmentsKey)) {
        std::string_view rest = *attachments;
        while (!rest.empty()) {
            const auto comma = rest.find(',');
            const auto piece = rest.substr(0, comma);
            if (!piece.empty()) {
                document.attachments.emplace_back(piece);
            }
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    document.group = headerValue(text, kGroupKey).value_or(std::string());
    document.subject = headerValue(text, kSubjectKey).value_or(std::string());
    if (const auto priority = headerValue(text, kPriorityKey); priority && !priority->empty()) {
        document.priority = parsePriority(*priority);
    }
    document.htmlPath = headerValue(text, kHtmlKey).value_or(std::string());
    document.body = messageBody(text);
    return document;
}

MessageDocument readMessageDocument(const std::filesystem::path& path)
{
    return parseMessageText(toUtf8(readWholeFile(path)));
}

std::string readTextFile(const std::filesystem::path& path)
{
    return toUtf8(readWholeFile(path));
}

bool isMessageDocumentPath(std::string_view path)
{
    return path.size() >= 3 && equalsIgnoreCase(path.substr(path.size() - 3), "tcx");
}

MessageDocument loadMessageFile(const std::filesystem::path& path)
{
    if (isMessageDocumentPath(path.string())) {
        return readMessageDocument(path);
    }
    MessageDocument document;
    document.priority.reset();
    document.body = readTextFile(path);
    return document;
}

} // namespace tidecast::messages
