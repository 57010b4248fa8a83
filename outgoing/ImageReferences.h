#pragma once

#include "common/Clock.h"
#include "common/IdSource.h"
#include "outgoing/InlineImageTable.h"

#include <filesystem>
#include <string>

namespace tidecast::outgoing
{

// One image reference found in an HTML body.
struct ImageReference
{
    bool found = false;
    std::string path; // the image file
    std::string contentId;
};

// Where the rewriting reads the time and tick counts for Content-IDs.
struct ContentIdSource
{
    const Clock& clock;
    IdSource& ids;
};

// Finds the next src="..." (attribute name in any case, value in double quotes, not already a
// "cid:" reference) from `searchFrom` on whose file exists, as given or relative to `htmlFolder`,
// and replaces the quoted value by "cid:" and the image's Content-ID: the one the table already
// holds for the file, or a new one (seconds since midnight "." ticks "@" file name) that is added.
// A "file://" prefix is dropped and "%20" read as a blank. References to missing files and
// unquoted values are left alone. `searchFrom` moves past the reference handled.
ImageReference findNextImage(std::string& html, std::size_t& searchFrom, const std::filesystem::path& htmlFolder,
                             InlineImageTable& table, ContentIdSource source);

// The same for the first background="..." attribute, whatever its value; its new Content-ID is
// ticks "@" seconds since midnight "." (seconds plus a second tick reading).
ImageReference findBackgroundImage(std::string& html, const std::filesystem::path& htmlFolder, InlineImageTable& table,
                                   ContentIdSource source);

// Seconds since midnight (UTC) of a time point.
double secondsSinceMidnight(std::chrono::system_clock::time_point at);

} // namespace tidecast::outgoing
