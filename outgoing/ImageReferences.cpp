#include "outgoing/ImageReferences.h"

#include "common/Text.h"
#include "mime/MimeText.h"

#include <cstring>
#include <optional>
#include <system_error>

namespace tidecast::outgoing
{

namespace
{

inline char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Finds an attribute name ending in "=" in any case. Looks only at the equals signs, which are
// few in HTML, and compares the letters before each.
std::size_t findAttribute(std::string_view text, std::string_view name, std::size_t from)
{
    const std::size_t letters = name.size() - 1; // name ends with '='
    std::size_t at = from + letters;
    while (at < text.size()) {
        const void* found = std::memchr(text.data() + at, '=', text.size() - at);
        if (found == nullptr) {
            break;
        }
        at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        bool match = true;
        for (std::size_t k = 0; k < letters && match; ++k) {
            match = lowerAscii(text[at - letters + k]) == name[k];
        }
        if (match) {
            return at - letters;
        }
        ++at;
    }
    return std::string_view::npos;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The file an attribute value names, or nothing when there is none.
std::optional<std::string> resolveImagePath(std::string_view value, const std::filesystem::path& htmlFolder)
{
    std::string path(value);
    if (startsWithIgnoreCase(path, "file:///")) {
        path.erase(0, 7); // keeps the root's slash
    }
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    path = replaceAll(path, "%20", " ");
    if (path.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path given(path);
    if (given.is_absolute() && isFile(given)) {
        return given.lexically_normal().string();
    }
    const std::filesystem::path relative = htmlFolder / given.relative_path();
    if (isFile(relative)) {
        return relative.lexically_normal().string();
    }
    return std::nullopt;
}

// Keeps a Content-ID a valid message identifier: characters outside RFC 5322 atext become "_".
std::string idSafe(std::string_view name)
{
    std::string out(name);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                        std::string_view("!#$%&'*+-/=?^_`{|}~.").find(c) != std::string_view::npos;
        if (!ok) {
            c = '_';
        }
    }
    return out;
}

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

// Rewrites the quoted value at [valueStart, valueEnd) to "cid:" and the path's Content-ID.
ImageReference rewrite(std::string& html, std::size_t valueStart, std::size_t valueEnd, const std::string& path,
                       InlineImageTable& table, const std::string& newId)
{
    ImageReference reference{true, path, {}};
    if (const std::string* known = table.contentIdOf(path)) {
        reference.contentId = *known;
    } else {
        reference.contentId = newId;
        table.add(path, newId);
    }
    html.replace(valueStart, valueEnd - valueStart, "cid:" + reference.contentId);
    return reference;
}

} // namespace

double secondsSinceMidnight(std::chrono::system_clock::time_point at)
{
    const auto sinceEpoch = std::chrono::duration<double>(at.time_since_epoch()).count();
    const double day = 86400.0;
    const double seconds = sinceEpoch - static_cast<double>(static_cast<long long>(sinceEpoch / day)) * day;
    return seconds < 0 ? seconds + day : seconds;
}

ImageReference findNextImage(std::string& html, std::size_t& searchFrom, const std::filesystem::path& htmlFolder,
                             InlineImageTable& table, ContentIdSource source)
{
    constexpr std::string_view kAttribute = "src=";
    std::size_t at;
    while ((at = findAttribute(html, kAttribute, searchFrom)) != std::string::npos) {
        const std::size_t quote = at + kAttribute.size();
        if (quote >= html.size() || html[quote] != '"') {
            searchFrom = quote;
            continue;
        }
        const std::size_t close = html.find('"', quote + 1);
        if (close == std::string::npos) {
            searchFrom = html.size();
            break;
        }
        const std::string_view value = std::string_view(html).substr(quote + 1, close - quote - 1);
        searchFrom = close + 1;
        if (startsWithIgnoreCase(value, "cid")) {
            continue;
        }
        const std::optional<std::string> path = resolveImagePath(value, htmlFolder);
        if (!path) {
            continue;
        }
        std::string id;
        if (table.contentIdOf(*path) == nullptr) {
            const std::string seconds =
                mime::singleToString(static_cast<float>(secondsSinceMidnight(source.clock.now())));
            const std::string name = idSafe(fileNameOf(*path));
            std::uint64_t ticks = source.ids.tickCount();
            do {
                id = seconds + "." + std::to_string(ticks++) + "@" + name;
            } while (table.hasContentId(id));
        }
        ImageReference reference = rewrite(html, quote + 1, close, *path, table, id);
        searchFrom = quote + 1 + 4 + reference.contentId.size() + 1;
        return reference;
    }
    return {};
}

ImageReference findBackgroundImage(std::string& html, const std::filesystem::path& htmlFolder, InlineImageTable& table,
                                   ContentIdSource source)
{
    constexpr std::string_view kAttribute = "background=";
    const std::size_t at = findAttribute(html, kAttribute, 0);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t quote = at + kAttribute.size();
    if (quote >= html.size() || html[quote] != '"') {
        return {};
    }
    const std::size_t close = html.find('"', quote + 1);
    if (close == std::string::npos) {
        return {};
    }
    const std::optional<std::string> path =
        resolveImagePath(std::string_view(html).substr(quote + 1, close - quote - 1), htmlFolder);
    if (!path) {
        return {};
    }
    std::string id;
    if (table.contentIdOf(*path) == nullptr) {
        const double seconds = secondsSinceMidnight(source.clock.now());
        std::uint64_t ticks = source.ids.tickCount();
        const std::uint64_t secondTicks = source.ids.tickCount();
        do {
            id = std::to_string(ticks++) + "@" + mime::singleToString(static_cast<float>(seconds)) + "." +
                 mime::doubleToString(seconds + static_cast<double>(secondTicks));
        } while (table.hasContentId(id));
    }
    return rewrite(html, quote + 1, close, *path, table, id);
}

} // namespace tidecast::outgoing
