#include "settings/PluginTools.h"

#include "settings/IniFile.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace tidecast::settings
{

namespace
{

// Whatever cannot tell its length (missing, a folder, unreadable) counts as not there.
bool programExists(const std::string& program)
{
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(program, error);
    return !error && length != static_cast<std::uintmax_t>(-1);
}

} // namespace

std::vector<PluginMenuEntry> pluginMenuEntries(const SettingsPaths& paths)
{
    const IniFile ini = IniFile::load(paths.settingsFile());
    std::vector<PluginMenuEntry> entries;
    for (int number = 1; number <= kMaxPlugins; ++number) {
        const std::string suffix = std::to_string(number);
        const std::string program = ini.value("Plugins", "Plugin" + suffix).value_or("");
        if (program.empty() || !programExists(program)) {
            continue;
        }
        const std::string name = ini.value("Plugins", "PluginName" + suffix).value_or("");
        if (name.empty()) {
            continue;
        }
        entries.push_back({std::string(kPluginIdPrefix) + suffix, name, program});
        if (number == 1) {
            entries.push_back({});
        }
    }
    return entries;
}

std::string pluginArgument(const SettingsPaths& paths)
{
    return "/G" + paths.dataFolder();
}

void reportPluginLaunchFailure(Prompter& prompter, const PluginMenuEntry& plugin)
{
    prompter.message("Unable to launch: " + plugin.caption + "\n\n" + plugin.program, Icon::Critical);
}

} // namespace tidecast::settings
