#include "settings/SettingsPaths.h"

#include <cstdlib>
#include <system_error>

namespace tidecast::settings
{

namespace
{

std::filesystem::path homeDir()
{
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::filesystem::path(home) : std::filesystem::temp_directory_path();
}

std::filesystem::path xdgDir(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/') {
        return value;
    }
    return homeDir() / fallback;
}

} // namespace

std::string SettingsPaths::dataFolder() const
{
    std::string folder = dataDir.string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::filesystem::path resolveDataDir(const std::optional<std::filesystem::path>& given,
                                     const std::filesystem::path& programDir)
{
    std::filesystem::path dir;
    std::error_code ec;
    if (given && !given->empty()) {
        dir = *given;
    } else if (const char* env = std::getenv("TIDECAST_DATA"); env != nullptr && *env != '\0') {
        dir = env;
    } else if (!programDir.empty() && std::filesystem::exists(programDir / "ej.dat", ec)) {
        dir = programDir;
    } else {
        dir = xdgDir("XDG_DATA_HOME", ".local/share") / "tidecast";
    }
    std::filesystem::create_directories(dir, ec);
    auto absolute = std::filesystem::absolute(dir, ec);
    return ec ? dir : absolute.lexically_normal();
}

std::filesystem::path resolveConfigDir()
{
    return xdgDir("XDG_CONFIG_HOME", ".config") / "tidecast";
}

} // namespace tidecast::settings
