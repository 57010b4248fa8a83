#pragma once

#include "common/Prompter.h"
#include "settings/SettingsPaths.h"

#include <string>
#include <string_view>
#include <vector>

namespace tidecast::settings
{

// One entry of the plug-in menu: a tool's item, or a separator (empty identifier).
struct PluginMenuEntry
{
    std::string id;      // "ID_uPlugin" + the entry's own number
    std::string caption; // the name shown in the menu
    std::string program; // the tool's executable

    bool isSeparator() const { return id.empty(); }
    bool operator==(const PluginMenuEntry&) const = default;
};

// Identifiers of the tools' menu items all begin with this.
inline constexpr std::string_view kPluginIdPrefix = "ID_uPlugin";
inline constexpr int kMaxPlugins = 15;

// The tools listed in section "Plugins" of the settings file, entries 1 to 15 in order: an entry
// shows only when its program exists and its name is not empty, and keeps its own number even
// when earlier entries are missing. A separator follows entry 1.
std::vector<PluginMenuEntry> pluginMenuEntries(const SettingsPaths& paths);

// The single argument a tool is started with: "/G" and the data folder with its trailing separator.
std::string pluginArgument(const SettingsPaths& paths);

// Tells the person that the tool could not be started.
void reportPluginLaunchFailure(Prompter& prompter, const PluginMenuEntry& plugin);

} // namespace tidecast::settings
