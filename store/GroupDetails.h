#pragma once

#include "common/Clock.h"

#include <filesystem>
#include <string>

namespace tidecast::store
{

// A group's own sender identity and signature, kept in the group's ".tcp" file beside its
// database file. The identity fields are kept even while the group uses the default identity.
struct GroupDetails
{
    bool useDefault = true;
    std::string senderName;
    std::string senderEmail;
    std::string organisation;
    std::string replyTo;
    std::string signature; // may span several lines (CR LF)

    bool operator==(const GroupDetails&) const = default;
};

// The details file of a group: data folder + name + ".tcp".
std::filesystem::path groupDetailsPath(const std::filesystem::path& dataDir, std::string_view groupName);

// The file's text: comment header with the creation time, then one "KEY: value" line per field,
// the signature (which may span lines) closed by "ENDSIG", CR LF after every line.
std::string formatGroupDetails(const GroupDetails& details, const Clock& clock);

// Writes the details file whole; false when it cannot be written.
[[nodiscard]] bool writeGroupDetails(const std::filesystem::path& file, const GroupDetails& details,
                                     const Clock& clock);

// Reads a details file. A missing file means the default identity with empty fields. Each key is
// looked for anywhere in the text (first occurrence) and its value is the rest of that line,
// trimmed of blanks; the signature runs to the line before "ENDSIG". Missing keys stay empty.
GroupDetails parseGroupDetails(const std::filesystem::path& file);
GroupDetails parseGroupDetailsText(std::string_view text);

} // namespace tidecast::store
