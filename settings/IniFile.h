#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::settings
{

// An INI file held in memory: sections of key=value lines. Look-ups ignore the case of section
// and key names; a write keeps the spelling it is given. Saved with CR LF line ends, through a
// temporary file and a rename so that a crash never leaves half a settings file.
class IniFile
{
public:
    struct Entry
    {
        std::string key;
        std::string value;
    };
    struct Section
    {
        std::string name;
        std::vector<Entry> entries;
    };

    // A missing or unreadable file gives an empty IniFile.
    static IniFile load(const std::filesystem::path& path);
    static IniFile parse(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    bool removeKey(std::string_view section, std::string_view key);

    const std::vector<Section>& sections() const { return m_sections; }
    std::string serialize() const;
    bool save(const std::filesystem::path& path) const;

private:
    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;

    std::vector<Section> m_sections;
};

} // namespace tidecast::settings
