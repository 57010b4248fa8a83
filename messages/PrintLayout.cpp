#include "messages/PrintLayout.h"

#include "common/Text.h"
#include "common/WordWrap.h"

namespace tidecast::messages
{

std::vector<std::string> printMessageLines(const MessageDocument& document)
{
    std::vector<std::string> lines;
    lines.push_back("To Group: " + document.group);
    lines.push_back("Subject: " + document.subject);

    // The wrap rule drops LF and breaks at CR, so a lone LF is made a CR LF first.
    std::string body;
    body.reserve(document.body.size());
    for (std::size_t i = 0; i < document.body.size(); ++i) {
        const char c = document.body[i];
        if (c == '\n' && (i == 0 || document.body[i - 1] != '\r')) {
            body += "\r\n";
        } else {
            body += c;
        }
    }
    const std::string wrapped = wordWrap(body, kPrintWidth);
    // Keep empty lines: they are part of the layout of the body.
    std::size_t start = 0;
    while (start < wrapped.size()) {
        const auto end = wrapped.find(kCrLf, start);
        if (end == std::string::npos) {
            lines.push_back(wrapped.substr(start));
            break;
        }
        lines.push_back(wrapped.substr(start, end - start));
        start = end + kCrLf.size();
    }

    if (!document.attachments.empty()) {
        std::string line = "Attachments: ";
        for (std::size_t i = 0; i < document.attachments.size(); ++i) {
            line += (i == 0 ? "" : ", ") + document.attachments[i];
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string versionText()
{
    return std::to_string(TIDECAST_VERSION_MAJOR) + "." + std::to_string(TIDECAST_VERSION_MINOR) + "." +
           std::to_string(TIDECAST_VERSION_PATCH);
}

std::string printFooter(std::string_view title, int page)
{
    const std::string tail = "Corvane Tidecast " + versionText() + " -:- Page " + std::to_string(page);
    if (title.empty()) {
        return tail;
    }
    std::string shown(title);
    if (countChars(title) > kFooterTitleLimit) {
        shown = cutToChars(title, kFooterTitleKeep) + "....";
    }
    return shown + " -:- " + tail;
}

} // namespace tidecast::messages
