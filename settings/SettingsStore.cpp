#include "settings/SettingsStore.h"

#include "common/Text.h"

#include <charconv>
#include <optional>

namespace tidecast::settings
{

namespace
{

constexpr std::string_view kDataFolder = "<data folder>";
constexpr std::string_view kServer = "Server Setup";
constexpr std::string_view kClient = "Client Setup";
constexpr std::string_view kMessage = "Message Setup";
constexpr std::string_view kEditor = "Editor Setup";
constexpr std::string_view kLayout = "Layout";
constexpr std::string_view kDeliverability = "Deliverability";
constexpr std::string_view kSetup = "Setup";
const std::string kCurrentApplication = "Corvane Tidecast";
const std::string kOlderApplication = "Tidecast";

// The key that holds "Check before Sending". Older files kept it under "Ignore Upper Case".
constexpr std::string_view kCheckBeforeSending = "Check Before Sending";

std::vector<std::uint32_t> decodeUtf8(std::string_view text)
{
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
        std::uint32_t point = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k <= extra && i + k < text.size(); ++k) {
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        points.push_back(point);
        i += extra + 1;
    }
    return points;
}

std::string encodeUtf8(const std::vector<std::uint32_t>& points)
{
    std::string out;
    for (auto p : points) {
        if (p < 0x80) {
            out.push_back(static_cast<char>(p));
        } else if (p < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (p >> 6)));
            out.push_back(static_cast<char>(0x80 | (p & 0x3F)));
        } else if (p < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (p >> 12)));
            out.push_back(static_cast<char>(0x80 | ((p >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (p & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (p >> 18)));
            out.push_back(static_cast<char>(0x80 | ((p >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((p >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (p & 0x3F)));
        }
    }
    return out;
}

std::string shiftCharacters(std::string_view text, int by)
{
    auto points = decodeUtf8(text);
    for (auto& p : points) {
        if (by < 0 && p == 0) {
            continue;
        }
        p = static_cast<std::uint32_t>(static_cast<std::int64_t>(p) + by);
    }
    return encodeUtf8(points);
}

std::string numberText(int value)
{
    return std::to_string(value);
}

} // namespace

std::string readValue(const IniFile& ini, std::string_view section, std::string_view key, std::string_view defaultValue)
{
    auto stored = ini.value(section, key);
    if (!stored || stored->empty()) {
        return cutToChars(defaultValue, kMaxValueLength);
    }
    return cutToChars(*stored, kMaxValueLength);
}

std::string readValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                      std::string_view defaultValue)
{
    return readValue(IniFile::load(file), section, key, defaultValue);
}

void writeValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                std::string_view value)
{
    auto ini = IniFile::load(file);
    ini.setValue(section, key, value);
    (void)ini.save(file);
}

std::string readAppSetting(const SettingsPaths& paths, const std::string& application, std::string_view section,
                           std::string_view key, std::string_view defaultValue)
{
    auto stored = IniFile::load(paths.appSettingsFile(application)).value(section, key);
    return stored ? *stored : std::string(defaultValue);
}

void writeAppSetting(const SettingsPaths& paths, const std::string& application, std::string_view section,
                     std::string_view key, std::string_view value)
{
    writeValue(paths.appSettingsFile(application), section, key, value);
}

void writeInstallPath(const SettingsPaths& paths)
{
    std::string folder = paths.dataFolder();
    folder.pop_back();
    writeValue(paths.registryFile(), "Software\\Corvane\\Tidecast", "InstallPath", folder);
}

bool parseFlag(std::string_view text)
{
    const auto trimmed = trimWhitespace(text);
    if (equalsIgnoreCase(trimmed, "true")) {
        return true;
    }
    if (equalsIgnoreCase(trimmed, "false")) {
        return false;
    }
    long long number = 0;
    const auto* begin = trimmed.data();
    const auto* end = trimmed.data() + trimmed.size();
    if (!trimmed.empty() && (*begin == '+')) {
        ++begin;
    }
    auto [ptr, ec] = std::from_chars(begin, end, number);
    if (ec != std::errc() || ptr != end) {
        return false;
    }
    return number != 0;
}

std::string flagText(bool value)
{
    return value ? "True" : "False";
}

int parseNumber(std::string_view text, int fallback)
{
    const auto trimmed = trimWhitespace(text);
    int number = 0;
    auto [ptr, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (ec != std::errc() || ptr == trimmed.data()) {
        return fallback;
    }
    return number;
}

std::string scramblePassword(std::string_view plain)
{
    return shiftCharacters(plain, 1);
}

std::string unscramblePassword(std::string_view stored)
{
    return shiftCharacters(stored, -1);
}

std::string normaliseEncoding(std::string_view stored)
{
    stored = trimBlanks(stored);
    if (stored == "printed" || stored == "print") {
        return "print";
    }
    if (stored == "base64") {
        return "base64";
    }
    return "none";
}

namespace
{

std::string defaultOf(const SettingKey& row, const SettingsPaths& paths)
{
    return row.defaultValue == kDataFolder ? paths.dataFolder() : std::string(row.defaultValue);
}

// Puts a value as read from a file into the row's member.
void assign(Settings& s, const SettingKey& row, const std::string& text)
{
    if (const auto* member = std::get_if<std::string Settings::*>(&row.member)) {
        s.** member = row.format == ValueFormat::Password ? unscramblePassword(text) : text;
    } else if (const auto* number = std::get_if<int Settings::*>(&row.member)) {
        s.** number = parseNumber(text, parseNumber(row.defaultValue, 0));
    } else if (const auto* flag = std::get_if<bool Settings::*>(&row.member)) {
        s.** flag = parseFlag(text);
    }
}

// The member's value as it is stored; nothing for a key the record does not hold.
std::optional<std::string> storedText(const Settings& s, const SettingKey& row)
{
    if (const auto* member = std::get_if<std::string Settings::*>(&row.member)) {
        if (row.format != ValueFormat::Password) {
            return s.**member;
        }
        return s.passwordsInKeyring ? std::string() : scramblePassword(s.**member);
    }
    if (const auto* number = std::get_if<int Settings::*>(&row.member)) {
        return numberText(s.**number);
    }
    if (const auto* flag = std::get_if<bool Settings::*>(&row.member)) {
        return row.format == ValueFormat::NumericFlag ? (s.**flag ? "-1" : "0") : flagText(s.**flag);
    }
    return std::nullopt;
}

std::string readRow(const IniFile& file, const SettingKey& row, const SettingsPaths& paths)
{
    if (row.format == ValueFormat::Encoding) {
        // A stored but empty encoding means none; only a missing key takes the default.
        if (const auto stored = file.value(row.section, row.key)) {
            return cutToChars(*stored, kMaxValueLength);
        }
    }
    auto fallback = defaultOf(row, paths);
    if (!row.olderKey.empty()) {
        fallback = readValue(file, row.section, row.olderKey, fallback);
    }
    return readValue(file, row.section, row.key, fallback);
}

bool isLayoutKey(const SettingKey& row)
{
    return row.file == SettingsFile::Main && row.section == kLayout;
}

// What an older installation kept in its application-settings area, read on the first run.
const std::vector<SettingKey>& olderSettingsTable()
{
    using S = Settings;
    static const std::vector<SettingKey> table = {
        {kSetup, "SMTP Server", &S::smtpServer, ""},
        {kSetup, "Character Set", &S::characterSet, "iso-8859-1"},
        {kSetup, "Encoding", &S::encoding, "7bit"},
        {kSetup, "Wrapping", &S::wrapping, "-1"},
        {kSetup, "Wrap Width", &S::wrapWidth, "76"},
        {kSetup, "SMTP Port", &S::smtpPort, "25"},
        {kSetup, "Email Address", &S::emailAddress, ""},
        {kSetup, "Reply To Address", &S::replyToAddress, ""},
        {kSetup, "Real Name", &S::realName, ""},
        {kSetup, "Dictionary_v6", &S::dictionary, ""},
        {kSetup, "Ignore Upper Case", &S::ignoreUpperCase, "0"},
        {kSetup, "Ignore Mixed Case", &S::ignoreMixedCase, "0"},
        {kSetup, "Ignore Numbers", &S::ignoreNumbers, "-1"},
        {kSetup, "Signature", &S::signature, ""},
        {kSetup, "Organisation", &S::organisation, ""},
        {kSetup, "GroupLet Size", &S::bulkGroupSize, "25"},
        {kSetup, "Timeout", &S::timeout, "120"},
    };
    return table;
}

} // namespace

const std::vector<SettingKey>& settingsTable()
{
    using S = Settings;
    using F = ValueFormat;
    static const std::vector<SettingKey> table = {
        {"Startup", "Welcome", {}, "0"},
        {kServer, "SMTP Server", &S::smtpServer, ""},
        {kServer, "SMTP Port", &S::smtpPort, "25"},
        {kServer, "SMTP Username", &S::smtpUsername, ""},
        {kServer, "SMTP Password", &S::smtpPassword, "", F::Password},
        {kServer, "SMTP Authentication", &S::smtpAuthentication, "0"},
        {kServer, "POP3 Server", &S::pop3Server, ""},
        {kServer, "POP3 Port", &S::pop3Port, "110"},
        {kServer, "POP3 Username", &S::pop3Username, ""},
        {kServer, "POP3 Password", &S::pop3Password, "", F::Password},
        {kServer, "POP3 Authentication", &S::pop3Authentication, "0"},
        {kServer, "Passwords In Keyring", &S::passwordsInKeyring, "0"},
        {kServer, "Timeout", &S::timeout, "120"},
        {kServer, "GroupLet Size", &S::bulkGroupSize, "25"},
        {kServer, "Domain", &S::domain, ""},
        {kServer, "DBSafe Delete", &S::safeDelete, "0"},
        {kServer, "Security", &S::security, "auto"},
        {kServer, "CA File", &S::certificateAuthorityFile, ""},
        {kServer, "Retry Attempts", &S::retryAttempts, "3"},
        {kServer, "Rate Limit", &S::rateLimit, "0"},
        {kServer, "Connections", &S::connections, "1"},
        {kServer, "Extra Servers", &S::extraServers, ""},
        {kClient, "Email Address", &S::emailAddress, ""},
        {kClient, "Reply To Address", &S::replyToAddress, ""},
        {kClient, "Real Name", &S::realName, ""},
        {kClient, "Organisation", &S::organisation, ""},
        // Kept in the application-settings area; read from here only when that holds none.
        {kClient, "Signature", {}, ""},
        {kClient, "LastExportDir", &S::lastExportFolder, kDataFolder},
        {kClient, "LastImportDir", &S::lastImportFolder, kDataFolder},
        {kClient, "LastOpenDir", &S::lastOpenFolder, kDataFolder},
        {kClient, "LastSaveDir", &S::lastSaveFolder, kDataFolder},
        {kClient, "LastHTMLDir", &S::lastHtmlFolder, kDataFolder},
        {kClient, "LastIFilterDir", &S::lastImportFilterFolder, kDataFolder},
        {kClient, "LastILayoutDir", &S::lastImportLayoutFolder, kDataFolder},
        {kClient, "LastSFilterDir", &S::lastSendFilterFolder, kDataFolder},
        {kClient, "LastAEDir", &S::lastSendOptionsFolder, kDataFolder},
        {kMessage, "Character Set", &S::characterSet, "iso-8859-1"},
        {kMessage, "Encoding", &S::encoding, "print", F::Encoding},
        {kMessage, "HTML Encoding", &S::htmlEncoding, "print"},
        {kMessage, "Wrapping", &S::wrapping, "-1"},
        {kMessage, "Wrap Width", &S::wrapWidth, "76"},
        {kEditor, "Font", &S::fontName, "Courier New"},
        {kEditor, "Size", &S::fontSize, "8"},
        {kEditor, "Bold", &S::fontBold, "False"},
        {kEditor, "Italic", &S::fontItalic, "False"},
        {kDeliverability, "Unsubscribe Mailto", &S::unsubscribeMailto, ""},
        {kDeliverability, "Unsubscribe URL", &S::unsubscribeUrl, ""},
        {kDeliverability, "DKIM Domain", &S::dkimDomain, ""},
        {kDeliverability, "DKIM Selector", &S::dkimSelector, ""},
        {kDeliverability, "DKIM Key File", &S::dkimKeyFile, ""},
        {kLayout, "Width", &S::width, "7250"},
        {kLayout, "Height", &S::height, "7630"},
        {kLayout, "top", &S::top, "0"},
        {kLayout, "Left", &S::left, "0"},
        {kLayout, "WinState", &S::windowState, "1"},
        {kLayout, "GRView", &S::groupsRecipientsView, "-1", F::NumericFlag},
        {"Send Options", "Bulk", {}, "-1"},
        {"Send Options", "DSN", {}, "0"},
        {"Tech", "scount", {}, "0"},
        {"Tech", "bcount", {}, "0"},
        {"Tech", "ecount", {}, "0"},
        {"Tech", "mcount", {}, "0"},
        {"Tech", "pcount", {}, "0"},
        {"Tech", "tcount", {}, "0"},
        {"Tech", "lscount", {}, "0"},
        {"Tech", "lecount", {}, "0"},
        {"Tech", "ltcount", {}, "0"},
        {"Tech", "lBULK", {}, "0"},
        {"Tech", "Date", {}, ""},
        {"Tech", "Action", {}, ""},
        {"Tech", "LError", {}, ""},
        // The spelling options live in the file "Tidecast". Older files kept "Check before
        // Sending" under "Ignore Upper Case"; it is read from there when it has no key of its own.
        {kEditor, "Dictionary_v6", &S::dictionary, "", F::Text, SettingsFile::Spelling},
        {kEditor, "Ignore Upper Case", &S::ignoreUpperCase, "0", F::Text, SettingsFile::Spelling},
        {kEditor, "Ignore Mixed Case", &S::ignoreMixedCase, "0", F::Text, SettingsFile::Spelling},
        {kEditor, "Ignore Numbers", &S::ignoreNumbers, "-1", F::Text, SettingsFile::Spelling},
        {kEditor, kCheckBeforeSending, &S::checkBeforeSending, "0", F::Text, SettingsFile::Spelling,
         "Ignore Upper Case"},
    };
    return table;
}

std::string keyDefault(std::string_view section, std::string_view key, const SettingsPaths& paths)
{
    for (const auto& row : settingsTable()) {
        if (row.file == SettingsFile::Main && equalsIgnoreCase(row.section, section) &&
            equalsIgnoreCase(row.key, key)) {
            return defaultOf(row, paths);
        }
    }
    return {};
}

namespace
{

// Before the first-run welcome has been completed, what "ej.dat" and the spelling file do not hold
// comes from an older installation, and the folders and ports only "ej.dat" can hold start empty.
// A value written into "ej.dat" (by `tidecast-cli settings set`, say) counts as it stands.
void takeOverOlderSettings(const IniFile& ej, const IniFile& spelling, const SettingsPaths& paths, Settings& s)
{
    const auto held = [&](const SettingKey& row) {
        const IniFile& file = row.file == SettingsFile::Main ? ej : spelling;
        if (row.format == ValueFormat::Encoding) {
            return file.value(row.section, row.key).has_value();
        }
        return !readValue(file, row.section, row.key, "").empty();
    };
    const auto currentRow = [](const SettingMember& member) -> const SettingKey* {
        for (const auto& row : settingsTable()) {
            if (row.member == member) {
                return &row;
            }
        }
        return nullptr;
    };
    for (const auto& older : olderSettingsTable()) {
        const SettingKey* current = currentRow(older.member);
        const bool kept = current ? held(*current) : !s.signature.empty();
        if (!kept) {
            assign(s, older, readAppSetting(paths, kOlderApplication, kSetup, older.key, older.defaultValue));
        }
    }
    for (const auto& row : settingsTable()) {
        if (row.file != SettingsFile::Main || held(row)) {
            continue;
        }
        if (row.defaultValue == kDataFolder) {
            s.*std::get<std::string Settings::*>(row.member) = "";
        }
    }
    if (!held(*currentRow(&Settings::pop3Port))) {
        s.pop3Port = 0;
    }
    if (!held(*currentRow(&Settings::htmlEncoding))) {
        s.htmlEncoding.clear();
    }
}

} // namespace

bool olderInstallationKnowsServer(const SettingsPaths& paths)
{
    return !readAppSetting(paths, kOlderApplication, kSetup, "SMTP Server", "").empty();
}

Settings loadSettings(const SettingsPaths& paths)
{
    Settings s;
    const auto ej = IniFile::load(paths.settingsFile());
    const auto spelling = IniFile::load(paths.spellingFile());
    for (const auto& row : settingsTable()) {
        if (!isLayoutKey(row)) {
            assign(s, row, readRow(row.file == SettingsFile::Main ? ej : spelling, row, paths));
        }
    }
    s.signature = readAppSetting(paths, kCurrentApplication, kSetup, "Signature", "");
    if (s.signature.empty()) {
        s.signature = readValue(ej, kClient, "Signature", "");
    }
    if (readValue(ej, "Startup", "Welcome", "0") == "0") {
        takeOverOlderSettings(ej, spelling, paths, s);
    }
    s.signature = replaceAll(s.signature, "$-$", kCrLf);
    s.encoding = normaliseEncoding(s.encoding);
    return s;
}

WindowPlacement loadWindowPlacement(const SettingsPaths& paths, Settings& s, int screenWidth, int screenHeight)
{
    const auto ej = IniFile::load(paths.settingsFile());
    for (const auto& row : settingsTable()) {
        if (isLayoutKey(row)) {
            assign(s, row, readRow(ej, row, paths));
        }
    }
    return fitWindowToScreen(s, screenWidth, screenHeight);
}

WindowPlacement fitWindowToScreen(const Settings& s, int screenWidth, int screenHeight)
{
    WindowPlacement p{false, false, s.left, s.top, s.width, s.height};
    if (p.top > screenHeight - 1500) {
        p.top = screenHeight - 1500;
    }
    if (p.top + p.height > screenHeight) {
        p.height = screenHeight - p.top;
    }
    if (p.left > screenWidth - 1500) {
        p.left = screenWidth - 1500;
    }
    if (p.left + p.width > screenWidth) {
        p.width = screenWidth - p.left;
    }
    if (s.windowState == 2) {
        p.maximised = true;
    } else if (p.left == 0 || p.top == 0) {
        p.centred = true;
        p.width = s.width;
        p.height = s.height;
        p.left = (screenWidth - p.width) / 2;
        p.top = (screenHeight - p.height) / 2;
    }
    return p;
}

void saveSettings(const Settings& s, const SettingsPaths& paths)
{
    auto ej = IniFile::load(paths.settingsFile());
    auto spelling = IniFile::load(paths.spellingFile());
    for (const auto& row : settingsTable()) {
        if (const auto text = storedText(s, row)) {
            (row.file == SettingsFile::Main ? ej : spelling).setValue(row.section, row.key, *text);
        }
    }
    (void)ej.save(paths.settingsFile());
    (void)spelling.save(paths.spellingFile());

    auto app = IniFile::load(paths.appSettingsFile(kCurrentApplication));
    app.setValue(kSetup, "Signature", replaceAll(s.signature, kCrLf, "$-$"));
    app.setValue(kCurrentApplication, "Install Path", paths.dataFolder());
    (void)app.save(paths.appSettingsFile(kCurrentApplication));
}

} // namespace tidecast::settings
