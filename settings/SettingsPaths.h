#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tidecast::settings
{

// Where the settings live: "ej.dat" in the data folder; the INI file "Tidecast", the install-path
// record and the per-user application-settings area as INI files in the per-user config folder.
struct SettingsPaths
{
    std::filesystem::path dataDir;   // the data folder
    std::filesystem::path configDir; // $XDG_CONFIG_HOME/tidecast

    std::filesystem::path settingsFile() const { return dataDir / "ej.dat"; }
    std::filesystem::path spellingFile() const { return configDir / "Tidecast"; }
    std::filesystem::path registryFile() const { return configDir / "registry.ini"; }
    std::filesystem::path appSettingsFile(const std::string& application) const
    {
        return configDir / "appsettings" / (application + ".ini");
    }

    // The data folder as text, always with a trailing separator.
    std::string dataFolder() const;
};

// Chooses the data folder: the given one, else $TIDECAST_DATA, else the program's folder when
// it already holds "ej.dat" (a portable install), else $XDG_DATA_HOME/tidecast. The folder is
// created when missing.
std::filesystem::path resolveDataDir(const std::optional<std::filesystem::path>& given,
                                     const std::filesystem::path& programDir);

std::filesystem::path resolveConfigDir();

} // namespace tidecast::settings
