#include "settings/SettingsStore.h"

#include "common/Text.h"

#include <charconv>

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

const std::vector<KeyDefault>& settingsKeyTable()
{
    static const std::vector<KeyDefault> table = {
        {"Startup", "Welcome", "0"},
        {kServer, "SMTP Server", ""},
        {kServer, "SMTP Port", "25"},
        {kServer, "SMTP Username", ""},
        {kServer, "SMTP Password", ""},
        {kServer, "SMTP Authentication", "0"},
        {kServer, "POP3 Server", ""},
        {kServer, "POP3 Port", "110"},
        {kServer, "POP3 Username", ""},
        {kServer, "POP3 Password", ""},
        {kServer, "POP3 Authentication", "0"},
        {kServer, "Timeout", "120"},
        {kServer, "GroupLet Size", "25"},
        {kServer, "Domain", ""},
        {kServer, "DBSafe Delete", "0"},
        {kServer, "Security", "auto"},
        {kServer, "CA File", ""},
        {kClient, "Email Address", ""},
        {kClient, "Reply To Address", ""},
        {kClient, "Real Name", ""},
        {kClient, "Organisation", ""},
        {kClient, "Signature", ""},
        {kClient, "LastExportDir", kDataFolder},
        {kClient, "LastImportDir", kDataFolder},
        {kClient, "LastOpenDir", kDataFolder},
        {kClient, "LastSaveDir", kDataFolder},
        {kClient, "LastHTMLDir", kDataFolder},
        {kClient, "LastIFilterDir", kDataFolder},
        {kClient, "LastILayoutDir", kDataFolder},
        {kClient, "LastSFilterDir", kDataFolder},
        {kClient, "LastAEDir", kDataFolder},
        {kMessage, "Character Set", "iso-8859-1"},
        {kMessage, "Encoding", "print"},
        {kMessage, "HTML Encoding", "print"},
        {kMessage, "Wrapping", "-1"},
        {kMessage, "Wrap Width", "76"},
        {kEditor, "Font", "Courier New"},
        {kEditor, "Size", "8"},
        {kEditor, "Bold", "False"},
        {kEditor, "Italic", "False"},
        {kLayout, "Width", "7250"},
        {kLayout, "Height", "7630"},
        {kLayout, "top", "0"},
        {kLayout, "Left", "0"},
        {kLayout, "WinState", "1"},
        {kLayout, "GRView", "-1"},
        {"Send Options", "Bulk", "-1"},
        {"Send Options", "DSN", "0"},
        {"Tech", "scount", "0"},
        {"Tech", "bcount", "0"},
        {"Tech", "ecount", "0"},
        {"Tech", "mcount", "0"},
        {"Tech", "pcount", "0"},
        {"Tech", "tcount", "0"},
        {"Tech", "lscount", "0"},
        {"Tech", "lecount", "0"},
        {"Tech", "ltcount", "0"},
        {"Tech", "lBULK", "0"},
        {"Tech", "Date", ""},
        {"Tech", "Action", ""},
        {"Tech", "LError", ""},
    };
    return table;
}

std::string keyDefault(std::string_view section, std::string_view key, const SettingsPaths& paths)
{
    for (const auto& row : settingsKeyTable()) {
        if (equalsIgnoreCase(row.section, section) && equalsIgnoreCase(row.key, key)) {
            return row.defaultValue == kDataFolder ? paths.dataFolder() : std::string(row.defaultValue);
        }
    }
    return {};
}

namespace
{

// Everything "ej.dat" and the spelling file hold, with each key's default where they hold nothing.
void readStoredSettings(const IniFile& ej, const SettingsPaths& paths, Settings& s)
{
    auto read = [&](std::string_view section, std::string_view key) {
        return readValue(ej, section, key, keyDefault(section, key, paths));
    };
    s.smtpServer = read(kServer, "SMTP Server");
    s.smtpPort = parseNumber(read(kServer, "SMTP Port"), 25);
    s.smtpUsername = read(kServer, "SMTP Username");
    s.smtpPassword = unscramblePassword(read(kServer, "SMTP Password"));
    s.smtpAuthentication = parseFlag(read(kServer, "SMTP Authentication"));
    s.pop3Server = read(kServer, "POP3 Server");
    s.pop3Port = parseNumber(read(kServer, "POP3 Port"), 110);
    s.pop3Username = read(kServer, "POP3 Username");
    s.pop3Password = unscramblePassword(read(kServer, "POP3 Password"));
    s.pop3Authentication = parseFlag(read(kServer, "POP3 Authentication"));
    s.timeout = parseNumber(read(kServer, "Timeout"), 120);
    s.bulkGroupSize = parseNumber(read(kServer, "GroupLet Size"), 25);
    s.domain = read(kServer, "Domain");
    s.safeDelete = parseFlag(read(kServer, "DBSafe Delete"));
    s.security = read(kServer, "Security");
    s.certificateAuthorityFile = read(kServer, "CA File");

    s.emailAddress = read(kClient, "Email Address");
    s.replyToAddress = read(kClient, "Reply To Address");
    s.realName = read(kClient, "Real Name");
    s.organisation = read(kClient, "Organisation");
    s.lastExportFolder = read(kClient, "LastExportDir");
    s.lastImportFolder = read(kClient, "LastImportDir");
    s.lastOpenFolder = read(kClient, "LastOpenDir");
    s.lastSaveFolder = read(kClient, "LastSaveDir");
    s.lastHtmlFolder = read(kClient, "LastHTMLDir");
    s.lastImportFilterFolder = read(kClient, "LastIFilterDir");
    s.lastImportLayoutFolder = read(kClient, "LastILayoutDir");
    s.lastSendFilterFolder = read(kClient, "LastSFilterDir");
    s.lastSendOptionsFolder = read(kClient, "LastAEDir");

    s.characterSet = read(kMessage, "Character Set");
    // A stored but empty encoding means none; only a missing key takes the default.
    const auto storedEncoding = ej.value(kMessage, "Encoding");
    s.encoding = storedEncoding ? cutToChars(*storedEncoding, kMaxValueLength) : read(kMessage, "Encoding");
    s.htmlEncoding = read(kMessage, "HTML Encoding");
    s.wrapping = parseFlag(read(kMessage, "Wrapping"));
    s.wrapWidth = parseNumber(read(kMessage, "Wrap Width"), 76);

    const auto spelling = IniFile::load(paths.spellingFile());
    s.dictionary = readValue(spelling, kEditor, "Dictionary_v6", "");
    s.ignoreUpperCase = parseFlag(readValue(spelling, kEditor, "Ignore Upper Case", "0"));
    s.ignoreMixedCase = parseFlag(readValue(spelling, kEditor, "Ignore Mixed Case", "0"));
    s.ignoreNumbers = parseFlag(readValue(spelling, kEditor, "Ignore Numbers", "-1"));
    // Older files kept "Check before Sending" under "Ignore Upper Case"; read it from there
    // when the file has no key of its own for it.
    s.checkBeforeSending = parseFlag(
        readValue(spelling, kEditor, kCheckBeforeSending, readValue(spelling, kEditor, "Ignore Upper Case", "0")));

    s.signature = readAppSetting(paths, kCurrentApplication, kSetup, "Signature", "");
    if (s.signature.empty()) {
        s.signature = read(kClient, "Signature");
    }
}

// Before the first-run welcome has been completed, what "ej.dat" does not hold comes from an
// older installation, and what only "ej.dat" can hold starts empty. A value written into "ej.dat"
// (by `tidecast-cli settings set`, say) counts as it stands.
void takeOverOlderSettings(const IniFile& ej, const SettingsPaths& paths, Settings& s)
{
    auto held = [&](std::string_view section, std::string_view key) {
        return !readValue(ej, section, key, "").empty();
    };
    const auto spelling = IniFile::load(paths.spellingFile());
    auto spellingHeld = [&](std::string_view key) { return !readValue(spelling, kEditor, key, "").empty(); };
    auto older = [&](std::string_view key, std::string_view fallback) {
        return readAppSetting(paths, kOlderApplication, kSetup, key, fallback);
    };
    if (!held(kServer, "SMTP Server")) {
        s.smtpServer = older("SMTP Server", "");
    }
    if (!held(kServer, "SMTP Port")) {
        s.smtpPort = parseNumber(older("SMTP Port", "25"), 25);
    }
    if (!held(kServer, "GroupLet Size")) {
        s.bulkGroupSize = parseNumber(older("GroupLet Size", "25"), 25);
    }
    if (!held(kServer, "Timeout")) {
        s.timeout = parseNumber(older("Timeout", "120"), 120);
    }
    if (!held(kMessage, "Character Set")) {
        s.characterSet = older("Character Set", "iso-8859-1");
    }
    if (!ej.value(kMessage, "Encoding")) {
        s.encoding = older("Encoding", "7bit");
    }
    if (!held(kMessage, "Wrapping")) {
        s.wrapping = parseFlag(older("Wrapping", "-1"));
    }
    if (!held(kMessage, "Wrap Width")) {
        s.wrapWidth = parseNumber(older("Wrap Width", "76"), 76);
    }
    for (auto [key, field] :
         {std::pair{"Email Address", &s.emailAddress}, std::pair{"Reply To Address", &s.replyToAddress},
          std::pair{"Real Name", &s.realName}, std::pair{"Organisation", &s.organisation}}) {
        if (!held(kClient, key)) {
            *field = older(key, "");
        }
    }
    if (s.signature.empty()) {
        s.signature = older("Signature", "");
    }
    if (!spellingHeld("Dictionary_v6")) {
        s.dictionary = older("Dictionary_v6", "");
    }
    for (auto [key, field, fallback] : {std::tuple{"Ignore Upper Case", &s.ignoreUpperCase, "0"},
                                        std::tuple{"Ignore Mixed Case", &s.ignoreMixedCase, "0"},
                                        std::tuple{"Ignore Numbers", &s.ignoreNumbers, "-1"}}) {
        if (!spellingHeld(key)) {
            *field = parseFlag(older(key, fallback));
        }
    }
    if (!held(kServer, "POP3 Port")) {
        s.pop3Port = 0;
    }
    if (!held(kMessage, "HTML Encoding")) {
        s.htmlEncoding.clear();
    }
    for (auto [key, field] :
         {std::pair{"LastExportDir", &s.lastExportFolder}, std::pair{"LastImportDir", &s.lastImportFolder},
          std::pair{"LastOpenDir", &s.lastOpenFolder}, std::pair{"LastSaveDir", &s.lastSaveFolder},
          std::pair{"LastHTMLDir", &s.lastHtmlFolder}, std::pair{"LastIFilterDir", &s.lastImportFilterFolder},
          std::pair{"LastILayoutDir", &s.lastImportLayoutFolder}, std::pair{"LastSFilterDir", &s.lastSendFilterFolder},
          std::pair{"LastAEDir", &s.lastSendOptionsFolder}}) {
        if (!held(kClient, key)) {
            field->clear();
        }
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
    auto read = [&](std::string_view section, std::string_view key) {
        return readValue(ej, section, key, keyDefault(section, key, paths));
    };

    s.fontName = read(kEditor, "Font");
    s.fontSize = parseNumber(read(kEditor, "Size"), 8);
    s.fontBold = parseFlag(read(kEditor, "Bold"));
    s.fontItalic = parseFlag(read(kEditor, "Italic"));

    readStoredSettings(ej, paths, s);
    if (readValue(ej, "Startup", "Welcome", "0") == "0") {
        takeOverOlderSettings(ej, paths, s);
    }
    s.signature = replaceAll(s.signature, "$-$", kCrLf);
    s.encoding = normaliseEncoding(s.encoding);
    return s;
}

WindowPlacement loadWindowPlacement(const SettingsPaths& paths, Settings& s, int screenWidth, int screenHeight)
{
    const auto ej = IniFile::load(paths.settingsFile());
    auto read = [&](std::string_view key) { return readValue(ej, kLayout, key, keyDefault(kLayout, key, paths)); };
    s.width = parseNumber(read("Width"), 7250);
    s.height = parseNumber(read("Height"), 7630);
    s.top = parseNumber(read("top"), 0);
    s.left = parseNumber(read("Left"), 0);
    s.windowState = parseNumber(read("WinState"), 1);
    s.groupsRecipientsView = parseFlag(read("GRView"));
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
    ej.setValue(kLayout, "GRView", s.groupsRecipientsView ? "-1" : "0");

    ej.setValue(kServer, "SMTP Server", s.smtpServer);
    ej.setValue(kServer, "SMTP Port", numberText(s.smtpPort));
    ej.setValue(kServer, "SMTP Username", s.smtpUsername);
    ej.setValue(kServer, "SMTP Password", scramblePassword(s.smtpPassword));
    ej.setValue(kServer, "SMTP Authentication", flagText(s.smtpAuthentication));
    ej.setValue(kServer, "POP3 Server", s.pop3Server);
    ej.setValue(kServer, "POP3 Port", numberText(s.pop3Port));
    ej.setValue(kServer, "POP3 Username", s.pop3Username);
    ej.setValue(kServer, "POP3 Password", scramblePassword(s.pop3Password));
    ej.setValue(kServer, "POP3 Authentication", flagText(s.pop3Authentication));
    ej.setValue(kServer, "Timeout", numberText(s.timeout));
    ej.setValue(kServer, "GroupLet Size", numberText(s.bulkGroupSize));
    ej.setValue(kServer, "Domain", s.domain);
    ej.setValue(kServer, "DBSafe Delete", flagText(s.safeDelete));
    ej.setValue(kServer, "Security", s.security);
    ej.setValue(kServer, "CA File", s.certificateAuthorityFile);

    ej.setValue(kClient, "Email Address", s.emailAddress);
    ej.setValue(kClient, "Reply To Address", s.replyToAddress);
    ej.setValue(kClient, "Real Name", s.realName);
    ej.setValue(kClient, "Organisation", s.organisation);

    ej.setValue(kMessage, "Character Set", s.characterSet);
    ej.setValue(kMessage, "Encoding", s.encoding);
    ej.setValue(kMessage, "HTML Encoding", s.htmlEncoding);
    ej.setValue(kMessage, "Wrapping", flagText(s.wrapping));
    ej.setValue(kMessage, "Wrap Width", numberText(s.wrapWidth));

    ej.setValue(kLayout, "Width", numberText(s.width));
    ej.setValue(kLayout, "Height", numberText(s.height));
    ej.setValue(kLayout, "top", numberText(s.top));
    ej.setValue(kLayout, "Left", numberText(s.left));
    ej.setValue(kLayout, "WinState", numberText(s.windowState));

    ej.setValue(kEditor, "Font", s.fontName);
    ej.setValue(kEditor, "Size", numberText(s.fontSize));
    ej.setValue(kEditor, "Bold", flagText(s.fontBold));
    ej.setValue(kEditor, "Italic", flagText(s.fontItalic));

    ej.setValue(kClient, "LastExportDir", s.lastExportFolder);
    ej.setValue(kClient, "LastImportDir", s.lastImportFolder);
    ej.setValue(kClient, "LastOpenDir", s.lastOpenFolder);
    ej.setValue(kClient, "LastSaveDir", s.lastSaveFolder);
    ej.setValue(kClient, "LastHTMLDir", s.lastHtmlFolder);
    ej.setValue(kClient, "LastIFilterDir", s.lastImportFilterFolder);
    ej.setValue(kClient, "LastILayoutDir", s.lastImportLayoutFolder);
    ej.setValue(kClient, "LastSFilterDir", s.lastSendFilterFolder);
    ej.setValue(kClient, "LastAEDir", s.lastSendOptionsFolder);
    (void)ej.save(paths.settingsFile());

    auto spelling = IniFile::load(paths.spellingFile());
    spelling.setValue(kEditor, "Dictionary_v6", s.dictionary);
    spelling.setValue(kEditor, "Ignore Upper Case", flagText(s.ignoreUpperCase));
    spelling.setValue(kEditor, "Ignore Mixed Case", flagText(s.ignoreMixedCase));
    spelling.setValue(kEditor, "Ignore Numbers", flagText(s.ignoreNumbers));
    spelling.setValue(kEditor, kCheckBeforeSending, flagText(s.checkBeforeSending));
    (void)spelling.save(paths.spellingFile());

    auto app = IniFile::load(paths.appSettingsFile(kCurrentApplication));
    app.setValue(kSetup, "Signature", replaceAll(s.signature, kCrLf, "$-$"));
    app.setValue(kCurrentApplication, "Install Path", paths.dataFolder());
    (void)app.save(paths.appSettingsFile(kCurrentApplication));
}

} // namespace tidecast::settings
