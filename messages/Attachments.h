#pragma once

#include "common/Prompter.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidecast::messages
{

// The size as the attachment list shows it after the file name: "  (512 bytes)", "  (1.5 KB)",
// "  (2. KB)", "  (3.25 MB)". Kilobytes and megabytes keep at most two decimals and always their
// decimal point.
std::string attachmentSizeText(std::uintmax_t bytes);

// A number with at most two decimals, no leading zeros and always a decimal point ("2.", "1.5").
std::string formatUpToTwoDecimals(double value);

// One line of the visible attachment list.
struct AttachmentEntry
{
    std::string path;
    std::string displayText; // the file's name followed by its size text

    bool operator==(const AttachmentEntry&) const = default;
};

// The visible list for a set of paths: a path whose file no longer exists is dropped quietly.
std::vector<AttachmentEntry> rebuildAttachments(const std::vector<std::string>& paths);

// The working list of the attachments dialog, with its refusals.
class AttachmentWorkingList
{
public:
    explicit AttachmentWorkingList(std::vector<std::string> paths)
        : m_paths(std::move(paths))
    {}

    const std::vector<std::string>& paths() const { return m_paths; }
    bool isEmpty() const { return m_paths.empty(); }

    // Adds folder + file name (a separator only when the folder lacks one). With no file chosen or
    // an exact duplicate it says so and adds nothing.
    bool add(const std::string& folder, const std::optional<std::string>& fileName, Prompter& prompter);
    bool remove(std::optional<std::size_t> selected, Prompter& prompter);
    void clear() { m_paths.clear(); }

private:
    std::vector<std::string> m_paths;
};

} // namespace tidecast::messages
