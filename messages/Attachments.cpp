#include "messages/Attachments.h"

#include <algorithm>
#include <cmath>
#include <system_error>

namespace tidecast::messages
{

namespace
{

constexpr double kUnit = 1024.0;

} // namespace

std::string formatUpToTwoDecimals(double value)
{
    const auto hundredths = static_cast<std::uintmax_t>(std::llround(value * 100.0));
    std::string text = std::to_string(hundredths / 100) + ".";
    const auto fraction = hundredths % 100;
    if (fraction != 0) {
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) {
            text += static_cast<char>('0' + fraction % 10);
        }
    }
    return text;
}

std::string attachmentSizeText(std::uintmax_t bytes)
{
    if (bytes < 1024) {
        return "  (" + std::to_string(bytes) + " bytes)";
    }
    const double kilobytes = static_cast<double>(bytes) / kUnit;
    if (kilobytes < kUnit) {
        return "  (" + formatUpToTwoDecimals(kilobytes) + " KB)";
    }
    return "  (" + formatUpToTwoDecimals(kilobytes / kUnit) + " MB)";
}

std::vector<AttachmentEntry> rebuildAttachments(const std::vector<std::string>& paths)
{
    std::vector<AttachmentEntry> entries;
    for (const auto& path : paths) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (ec) {
            continue;
        }
        entries.push_back({path, std::filesystem::path(path).filename().string() + attachmentSizeText(size)});
    }
    return entries;
}

bool AttachmentWorkingList::add(const std::string& folder, const std::optional<std::string>& fileName,
                                Prompter& prompter)
{
    if (!fileName || fileName->empty()) {
        prompter.message("Please select a file to add first", Icon::Exclamation);
        return false;
    }
    std::string path = folder;
    if (path.empty() || path.back() != std::filesystem::path::preferred_separator) {
        path += std::filesystem::path::preferred_separator;
    }
    path += *fileName;
    if (std::find(m_paths.begin(), m_paths.end(), path) != m_paths.end()) {
        prompter.message("This file already exists in the list", Icon::Exclamation);
        return false;
    }
    m_paths.push_back(std::move(path));
    return true;
}

bool AttachmentWorkingList::remove(std::optional<std::size_t> selected, Prompter& prompter)
{
    if (!selected || *selected >= m_paths.size()) {
        prompter.message("Please select a File to remove first", Icon::Exclamation);
        return false;
    }
    m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(*selected));
    return true;
}

} // namespace tidecast::messages
