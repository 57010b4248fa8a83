#pragma once

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsPaths.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tidecast::settings
{

// At most this many characters of a stored value are ever returned.
inline constexpr std::size_t kMaxValueLength = 127;

// Reads a key: the stored value cut to 127 characters, or `defaultValue` when the key is absent
// or empty. Section and key compare without regard to case. A missing file reads as empty.
std::string readValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                      std::string_view defaultValue);
std::string readValue(const IniFile& ini, std::string_view section, std::string_view key,
                      std::string_view defaultValue);

// Stores one key at once, creating the file and section when missing. Failures are ignored.
void writeValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view value);

// The per-user application-settings area, addressed by application, section and key.
std::string readAppSetting(const SettingsPaths& paths, const std::string& application, std::string_view section,
                           std::string_view key, std::string_view defaultValue);
void writeAppSetting(const SettingsPaths& paths, const std::string& application, std::string_view section,
                     std::string_view key, std::string_view value);

// Writes the data folder (without its trailing separator) as "InstallPath" for plug-ins.
void writeInstallPath(const SettingsPaths& paths);

// Flags are stored as "True"/"False" but read leniently: either word (any case) or an integer,
// 0 being false. Anything else reads as false.
bool parseFlag(std::string_view text);
std::string flagText(bool value); // "True" / "False"
int parseNumber(std::string_view text, int fallback);

// Each character one code higher to store, one lower to read.
std::string scramblePassword(std::string_view plain);
std::string unscramblePassword(std::string_view stored);

// "printed" -> "print"; empty or blank -> "none"; anything but "print", "base64", "none" -> "none".
std::string normaliseEncoding(std::string_view stored);

// Where a key is kept: "ej.dat", or the spelling options of the file "Tidecast".
enum class SettingsFile
{
    Main,
    Spelling,
};

// How a member is written: text as it is, a number, a flag ("True"/"False"), a flag as "-1"/"0",
// a scrambled password, or the encoding (a stored but empty value means none).
enum class ValueFormat
{
    Text,
    NumericFlag,
    Password,
    Encoding,
};

// The member of the settings record that a key fills; none for keys the record does not hold.
using SettingMember = std::variant<std::monostate, std::string Settings::*, int Settings::*, bool Settings::*>;

// One key of the settings files: where it lives, the record member it fills and its default.
// Numbers and flags are told apart by the member's type; `format` says how to store it.
struct SettingKey
{
    SettingKey(std::string_view sectionName, std::string_view keyName, SettingMember filled,
               std::string_view defaultText, ValueFormat valueFormat = ValueFormat::Text,
               SettingsFile keptIn = SettingsFile::Main, std::string_view olderKeyName = {})
        : section(sectionName)
        , key(keyName)
        , member(filled)
        , defaultValue(defaultText)
        , format(valueFormat)
        , file(keptIn)
        , olderKey(olderKeyName)
    {}

    std::string_view section;
    std::string_view key;
    SettingMember member;
    std::string_view defaultValue; // "<data folder>" for the last-folder keys
    ValueFormat format = ValueFormat::Text;
    SettingsFile file = SettingsFile::Main;
    std::string_view olderKey; // read instead when the key itself is absent
};

// Every key in one table: it drives loadSettings, saveSettings, `settings get` and `settings list`
// (which show the "ej.dat" keys in this order).
const std::vector<SettingKey>& settingsTable();
// The default of an "ej.dat" key, the data folder filled in; empty for a key the table lacks.
std::string keyDefault(std::string_view section, std::string_view key, const SettingsPaths& paths);

// Fills the record from the files. Until the first-run welcome has been completed, what "ej.dat"
// does not hold comes from the older application-settings area.
Settings loadSettings(const SettingsPaths& paths);

// An older installation's settings name an outgoing server: the first run needs no welcome.
bool olderInstallationKnowsServer(const SettingsPaths& paths);

// Where the main window opens (twips), after fitting the stored rectangle to the screen.
struct WindowPlacement
{
    bool maximised = false;
    bool centred = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
// Reads the "Layout" keys into the record, then fits the stored rectangle to the screen.
WindowPlacement loadWindowPlacement(const SettingsPaths& paths, Settings& settings, int screenWidth, int screenHeight);
// The fitting alone, on a record whose layout is already read.
WindowPlacement fitWindowToScreen(const Settings& settings, int screenWidth, int screenHeight);

// The shutdown write-back of the whole record (the window rectangle and state already in it).
void saveSettings(const Settings& settings, const SettingsPaths& paths);

} // namespace tidecast::settings
