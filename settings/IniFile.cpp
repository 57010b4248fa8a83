#include "settings/IniFile.h"

#include "common/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tidecast::settings
{

namespace
{

// Writes the whole text to a new file that only its owner can read (it may hold a password),
// then gives it `mode`. False when any write fails (a full disk, say) or the file cannot be made.
bool writePrivateFile(const std::filesystem::path& path, std::string_view text, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    while (ok && !text.empty()) {
        const auto written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        ok = written > 0;
        if (ok) {
            text.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    ok = ::close(fd) == 0 && ok;
    return ok;
}

} // namespace

IniFile IniFile::load(const std::filesystem::path& path)
{
    return parse(toUtf8(readWholeFile(path)));
}

IniFile IniFile::parse(std::string_view text)
{
    IniFile ini;
    Section* current = nullptr;
    for (const auto& rawLine : splitLines(text)) {
        const auto line = trimWhitespace(rawLine);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            const auto name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            current = ini.findSection(name);
            if (current == nullptr) {
                ini.m_sections.push_back({std::string(name), {}});
                current = &ini.m_sections.back();
            }
            continue;
        }
        const auto equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        const auto key = trimWhitespace(line.substr(0, equals));
        auto value = trimWhitespace(line.substr(equals + 1));
        // A value written in quotes is read without them, as the platform's INI reader does.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        bool replaced = false;
        for (auto& entry : current->entries) {
            if (equalsIgnoreCase(entry.key, key)) {
                replaced = true; // the first occurrence wins, as in the platform's reader
                break;
            }
        }
        if (!replaced) {
            current->entries.push_back({std::string(key), std::string(value)});
        }
    }
    return ini;
}

IniFile::Section* IniFile::findSection(std::string_view name)
{
    for (auto& section : m_sections) {
        if (equalsIgnoreCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const
{
    for (const auto& section : m_sections) {
        if (equalsIgnoreCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    for (const auto& entry : found->entries) {
        if (equalsIgnoreCase(entry.key, key)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    Section* target = findSection(section);
    if (target == nullptr) {
        m_sections.push_back({std::string(section), {}});
        target = &m_sections.back();
    }
    // A line break inside a value would start a new line of the file.
    std::string clean(value);
    for (char& c : clean) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    for (auto& entry : target->entries) {
        if (equalsIgnoreCase(entry.key, key)) {
            entry.key = std::string(key);
            entry.value = std::move(clean);
            return;
        }
    }
    target->entries.push_back({std::string(key), std::move(clean)});
}

bool IniFile::removeKey(std::string_view section, std::string_view key)
{
    Section* target = findSection(section);
    if (target == nullptr) {
        return false;
    }
    for (auto it = target->entries.begin(); it != target->entries.end(); ++it) {
        if (equalsIgnoreCase(it->key, key)) {
            target->entries.erase(it);
            return true;
        }
    }
    return false;
}

std::string IniFile::serialize() const
{
    std::string out;
    for (const auto& section : m_sections) {
        out += '[';
        out += section.name;
        out += "]\r\n";
        for (const auto& entry : section.entries) {
            out += entry.key;
            out += '=';
            // A value the reader would change (blanks at an end, or quotes around it) goes in
            // quotes, which the reader takes off again.
            const std::string_view value = entry.value;
            const bool quoted =
                trimWhitespace(value) != value || (value.size() >= 2 && value.front() == '"' && value.back() == '"');
            if (quoted) {
                out += '"';
            }
            out += value;
            if (quoted) {
                out += '"';
            }
            out += "\r\n";
        }
    }
    return out;
}

bool IniFile::save(const std::filesystem::path& path) const
{
    std::error_code ec;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    auto temporary = path;
    temporary += ".new";
    // A new file is private to its owner; a rewrite keeps the mode the file had.
    struct stat existing
    {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : mode_t{0600};
    if (!writePrivateFile(temporary, serialize(), mode)) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

} // namespace tidecast::settings
