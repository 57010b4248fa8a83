#include "settings/PluginTools.h"

#include "settings/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tidecast::settings
{
namespace
{

struct Listing
{
    const char* what;
    std::vector<std::pair<std::string, std::string>> keys; // key, value; "@" stands for the tool folder
    std::vector<std::string> shown;                        // identifiers in menu order, "|" a separator
};

TEST(PluginTools, MenuShowsQualifyingEntriesWithTheirOwnNumbers)
{
    const std::vector<Listing> listings = {
        {"entries 2 and 5 only",
         {{"Plugin2", "@tool"}, {"PluginName2", "Two"}, {"Plugin5", "@tool"}, {"PluginName5", "Five"}},
         {"ID_uPlugin2", "ID_uPlugin5"}},
        {"entry 1 brings the separator",
         {{"Plugin1", "@tool"}, {"PluginName1", "One"}, {"Plugin3", "@tool"}, {"PluginName3", "Three"}},
         {"ID_uPlugin1", "|", "ID_uPlugin3"}},
        {"missing program, folder, empty name or path",
         {{"Plugin1", "@gone"},
          {"PluginName1", "One"},
          {"Plugin2", "@"},
          {"PluginName2", "Two"},
          {"Plugin3", "@tool"},
          {"PluginName3", ""},
          {"Plugin4", ""},
          {"PluginName4", "Four"}},
         {}},
        {"15 is read, 16 never",
         {{"Plugin15", "@tool"}, {"PluginName15", "Last"}, {"Plugin16", "@tool"}, {"PluginName16", "Beyond"}},
         {"ID_uPlugin15"}},
        {"leading zeros are other keys", {{"Plugin02", "@tool"}, {"PluginName02", "Zero"}}, {}},
    };
    for (const auto& listing : listings) {
        test::TempDir dir;
        std::ofstream(dir / "tool") << "#!/bin/sh\n";
        SettingsPaths paths{dir.path(), dir / "config"};
        for (const auto& [key, value] : listing.keys) {
            const std::string stored = value.starts_with('@') ? (dir / value.substr(1)).string() : value;
            writeValue(paths.settingsFile(), "Plugins", key, stored);
        }
        std::vector<std::string> shown;
        for (const auto& entry : pluginMenuEntries(paths)) {
            shown.push_back(entry.isSeparator() ? "|" : entry.id);
            if (!entry.isSeparator()) {
                EXPECT_EQ(entry.program, (dir / "tool").string()) << listing.what;
            }
        }
        EXPECT_EQ(shown, listing.shown) << listing.what;
    }
}

TEST(PluginTools, ArgumentAndLaunchFailure)
{
    const SettingsPaths paths{"/srv/mail data", "/srv/config"};
    EXPECT_EQ(pluginArgument(paths), "/G/srv/mail data/");

    ScriptedPrompter prompter;
    reportPluginLaunchFailure(prompter, {"ID_uPlugin3", "Cleaner", "/opt/tools/cleaner"});
    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {"Unable to launch: Cleaner\n\n/opt/tools/cleaner", Icon::Critical, false}}));
}

} // namespace
} // namespace tidecast::settings
