#include "settings/SettingsStore.h"

#include "common/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace tidecast::settings
{
namespace
{

class SettingsStoreTest : public ::testing::Test
{
protected:
    SettingsStoreTest()
    {
        m_paths.dataDir = m_dir / "data";
        m_paths.configDir = m_dir / "config";
        std::filesystem::create_directories(m_paths.dataDir);
    }

    // A settings file that has been through the welcome, so that the full read runs.
    void markWelcomed() { writeValue(m_paths.settingsFile(), "Startup", "Welcome", "-1"); }

    test::TempDir m_dir;
    SettingsPaths m_paths;
};

TEST_F(SettingsStoreTest, ReadValueCutsAt127AndIgnoresCaseAndFallsBackWhenEmpty)
{
    const auto file = m_paths.settingsFile();
    writeValue(file, "Server Setup", "Domain", std::string(200, 'x'));
    writeValue(file, "Server Setup", "Empty", "");
    EXPECT_EQ(readValue(file, "server setup", "DOMAIN", "d"), std::string(127, 'x'));
    EXPECT_EQ(readValue(file, "Server Setup", "Empty", "fallback"), "fallback");
    EXPECT_EQ(readValue(file, "Server Setup", "Absent", "fallback"), "fallback");
    EXPECT_EQ(readValue(m_dir / "no-such-file", "A", "B", "fallback"), "fallback");

    // The file keeps the spelling it was written with, with CR LF line ends.
    writeValue(file, "Layout", "top", "5");
    const auto text = readWholeFile(file);
    EXPECT_NE(text.find("[Layout]\r\ntop=5\r\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, SettingsFileIsPrivateWhenMadeAndKeepsItsModeOnRewrite)
{
    const auto file = m_paths.settingsFile();
    const auto mode = [&file] { return std::filesystem::status(file).permissions() & std::filesystem::perms::mask; };
    using std::filesystem::perms;
    writeValue(file, "Server Setup", "SMTP Password", scramblePassword("secret"));
    EXPECT_EQ(mode(), perms::owner_read | perms::owner_write);
    writeValue(file, "Server Setup", "SMTP Server", "mail.example.test");
    EXPECT_EQ(mode(), perms::owner_read | perms::owner_write);
    std::filesystem::permissions(file, perms::owner_read | perms::owner_write | perms::group_read);
    writeValue(file, "Server Setup", "SMTP Port", "587");
    EXPECT_EQ(mode(), perms::owner_read | perms::owner_write | perms::group_read);
    EXPECT_EQ(readValue(file, "Server Setup", "SMTP Server", ""), "mail.example.test");
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));
}

TEST_F(SettingsStoreTest, FlagsAreReadLeniently)
{
    struct Case
    {
        const char* text;
        bool value;
    };
    for (const Case& c : {Case{"True", true}, Case{"false", false}, Case{"-1", true}, Case{"0", false}, Case{"7", true},
                          Case{"TRUE", true}, Case{"", false}, Case{"yes", false}}) {
        EXPECT_EQ(parseFlag(c.text), c.value) << c.text;
    }
}

TEST_F(SettingsStoreTest, PasswordsAreScrambledOneCodeUp)
{
    EXPECT_EQ(scramblePassword("abc"), "bcd");
    EXPECT_EQ(unscramblePassword("bcd"), "abc");
    EXPECT_EQ(unscramblePassword(scramblePassword("p\xc3\xa4ss~z")), "p\xc3\xa4ss~z");
}

TEST_F(SettingsStoreTest, EncodingIsNormalised)
{
    for (auto [stored, loaded] :
         {std::pair{"7bit", "none"}, std::pair{"", "none"}, std::pair{"quoted", "none"}, std::pair{"printed", "print"},
          std::pair{"print", "print"}, std::pair{"base64", "base64"}, std::pair{" ", "none"}}) {
        markWelcomed();
        writeValue(m_paths.settingsFile(), "Message Setup", "Encoding", stored);
        EXPECT_EQ(loadSettings(m_paths).encoding, loaded) << "stored: '" << stored << "'";
    }
}

TEST_F(SettingsStoreTest, FirstRunWithoutAnyFileTakesOverOlderSettingsAndWritesEveryKeyAtClose)
{
    writeAppSetting(m_paths, "Tidecast", "Setup", "SMTP Server", "mail.old.test");
    writeAppSetting(m_paths, "Tidecast", "Setup", "Encoding", "7bit");
    auto loaded = loadSettings(m_paths);
    EXPECT_EQ(loaded.smtpServer, "mail.old.test");
    EXPECT_EQ(loaded.encoding, "none");
    EXPECT_EQ(loaded.smtpPort, 25);
    EXPECT_EQ(loaded.timeout, 120);
    EXPECT_EQ(loaded.htmlEncoding, "");
    EXPECT_EQ(loaded.lastOpenFolder, "");
    EXPECT_FALSE(std::filesystem::exists(m_paths.settingsFile()));

    saveSettings(loaded, m_paths);
    const auto ini = IniFile::load(m_paths.settingsFile());
    for (const auto& row : settingsTable()) {
        if (row.file != SettingsFile::Main || row.section == "Startup" || row.section == "Tech" ||
            row.section == "Send Options" || row.key == "Signature") {
            continue;
        }
        EXPECT_TRUE(ini.value(row.section, row.key).has_value()) << row.section << "/" << row.key;
    }
    EXPECT_FALSE(ini.value("Client Setup", "Signature").has_value());
}

TEST_F(SettingsStoreTest, FirstRunReadsWhatTheSettingsFileHoldsAndTheOlderAreaForTheRest)
{
    writeAppSetting(m_paths, "Tidecast", "Setup", "SMTP Server", "mail.old.test");
    writeAppSetting(m_paths, "Tidecast", "Setup", "Real Name", "Old Name");
    const auto file = m_paths.settingsFile();
    for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"Server Setup", "SMTP Server", "mail.new.test"},
             {"Server Setup", "SMTP Port", "2525"},
             {"Server Setup", "Security", "none"},
             {"Server Setup", "SMTP Password", scramblePassword("pw")},
             {"Server Setup", "POP3 Port", "995"},
             {"Client Setup", "Email Address", "me@new.test"},
             {"Message Setup", "Character Set", "utf-8"},
             {"Message Setup", "Encoding", ""}}) {
        writeValue(file, section, key, value);
    }
    const auto loaded = loadSettings(m_paths);
    EXPECT_EQ(loaded.smtpServer, "mail.new.test");
    EXPECT_EQ(loaded.smtpPort, 2525);
    EXPECT_EQ(loaded.security, "none");
    EXPECT_EQ(loaded.smtpPassword, "pw");
    EXPECT_EQ(loaded.pop3Port, 995);
    EXPECT_EQ(loaded.emailAddress, "me@new.test");
    EXPECT_EQ(loaded.characterSet, "utf-8");
    EXPECT_EQ(loaded.encoding, "none");
    EXPECT_EQ(loaded.realName, "Old Name"); // not in "ej.dat": taken over
    EXPECT_EQ(loaded.timeout, 120);
    EXPECT_EQ(loaded.htmlEncoding, ""); // only "ej.dat" could hold it
    EXPECT_EQ(loaded.lastOpenFolder, "");
    EXPECT_TRUE(olderInstallationKnowsServer(m_paths));
}

// Every key's round trip is checked below with distinct values; this one covers what a
// distinct value per key cannot: the line break of the signature, the scrambled form of the
// password on disk, and two flags that once shared a key.
TEST_F(SettingsStoreTest, FullRecordSurvivesAWriteAndARead)
{
    markWelcomed();
    Settings original;
    original.smtpPassword = "abc";
    original.signature = "Best wishes,\r\nThe Team";
    original.ignoreUpperCase = true;
    original.checkBeforeSending = false;
    original.groupsRecipientsView = false;
    saveSettings(original, m_paths);

    EXPECT_EQ(readValue(m_paths.settingsFile(), "Server Setup", "SMTP Password", ""), "bcd");
    // The signature keeps its line break through the "$-$" form.
    EXPECT_EQ(readAppSetting(m_paths, "Corvane Tidecast", "Setup", "Signature", ""), "Best wishes,$-$The Team");

    const auto loaded = loadSettings(m_paths);
    EXPECT_EQ(loaded.smtpPassword, "abc");
    EXPECT_EQ(loaded.signature, "Best wishes,\r\nThe Team");
    EXPECT_TRUE(loaded.ignoreUpperCase);
    EXPECT_FALSE(loaded.checkBeforeSending); // its own key: no longer overwritten by the upper-case option
    EXPECT_EQ(readValue(m_paths.settingsFile(), "Layout", "GRView", ""), "0");
}

TEST_F(SettingsStoreTest, DefaultsAndOlderFiles)
{
    markWelcomed();
    const auto loaded = loadSettings(m_paths);
    EXPECT_EQ(loaded.security, "auto");
    EXPECT_EQ(loaded.certificateAuthorityFile, "");
    EXPECT_EQ(loaded.lastExportFolder, m_paths.dataFolder());
    EXPECT_EQ(loaded.pop3Port, 110);
    EXPECT_TRUE(loaded.ignoreNumbers);

    // A file of an older version keeps "Check before Sending" under "Ignore Upper Case".
    writeValue(m_paths.spellingFile(), "Editor Setup", "Ignore Upper Case", "-1");
    EXPECT_TRUE(loadSettings(m_paths).checkBeforeSending);

    // A signature only in "ej.dat" is the fallback.
    writeValue(m_paths.settingsFile(), "Client Setup", "Signature", "one$-$two");
    EXPECT_EQ(loadSettings(m_paths).signature, "one\r\ntwo");
}

TEST_F(SettingsStoreTest, ScreenSettingsAreReadFromTheLayoutSection)
{
    writeValue(m_paths.settingsFile(), "Layout", "top", "20000");
    writeValue(m_paths.settingsFile(), "Layout", "Left", "300");
    writeValue(m_paths.settingsFile(), "Layout", "GRView", "0");
    Settings s;
    const auto placed = loadWindowPlacement(m_paths, s, 20000, 12000);
    EXPECT_EQ(s.top, 20000);
    EXPECT_FALSE(s.groupsRecipientsView);
    EXPECT_EQ(placed.top, 10500);
    EXPECT_EQ(placed.height, 1500);
}

TEST(ScreenSettings, FitsTheWindowToTheScreen)
{
    Settings s;
    s.top = 20000;
    s.left = 300;
    s.height = 7630;
    s.width = 7250;
    auto placed = fitWindowToScreen(s, 20000, 12000);
    EXPECT_EQ(placed.top, 10500);
    EXPECT_EQ(placed.height, 1500);
    EXPECT_FALSE(placed.centred);

    s.top = 0;
    s.left = 0;
    placed = fitWindowToScreen(s, 20000, 12000);
    EXPECT_TRUE(placed.centred);
    EXPECT_EQ(placed.width, 7250);
    EXPECT_EQ(placed.left, (20000 - 7250) / 2);

    s.windowState = 2;
    EXPECT_TRUE(fitWindowToScreen(s, 20000, 12000).maximised);

    s.windowState = 1;
    s.left = 19000;
    s.top = 100;
    placed = fitWindowToScreen(s, 20000, 12000);
    EXPECT_EQ(placed.left, 18500);
    EXPECT_EQ(placed.width, 1500);
}

TEST_F(SettingsStoreTest, EveryTableKeyIsWrittenFromItsMemberAndReadBackIntoIt)
{
    markWelcomed();
    // A distinct value for every member, so a row that names the wrong member or key shows.
    Settings original;
    int counter = 0;
    for (const auto& row : settingsTable()) {
        ++counter;
        if (const auto* text = std::get_if<std::string Settings::*>(&row.member)) {
            original.** text = row.format == ValueFormat::Encoding ? "base64" : "value " + std::to_string(counter);
        } else if (const auto* number = std::get_if<int Settings::*>(&row.member)) {
            original.** number = 1000 + counter;
        } else if (const auto* flag = std::get_if<bool Settings::*>(&row.member)) {
            original.** flag = std::string_view(row.defaultValue) == "0" || row.defaultValue == "False";
        }
    }
    // With the keyring flag on no password reaches the file (the keyring test covers that).
    original.passwordsInKeyring = false;
    // No member is filled by two keys.
    std::vector<SettingMember> seen;
    for (const auto& row : settingsTable()) {
        if (!std::holds_alternative<std::monostate>(row.member)) {
            EXPECT_EQ(std::count(seen.begin(), seen.end(), row.member), 0) << row.section << "/" << row.key;
            seen.push_back(row.member);
        }
    }
    saveSettings(original, m_paths);

    const auto main = IniFile::load(m_paths.settingsFile());
    const auto spelling = IniFile::load(m_paths.spellingFile());
    for (const auto& row : settingsTable()) {
        const auto& file = row.file == SettingsFile::Main ? main : spelling;
        const auto stored = file.value(row.section, row.key);
        if (std::holds_alternative<std::monostate>(row.member)) {
            continue;
        }
        ASSERT_TRUE(stored.has_value()) << row.section << "/" << row.key;
        if (const auto* number = std::get_if<int Settings::*>(&row.member)) {
            EXPECT_EQ(*stored, std::to_string(original.**number)) << row.key;
        } else if (const auto* flag = std::get_if<bool Settings::*>(&row.member)) {
            const bool on = original.**flag;
            EXPECT_EQ(*stored, row.format == ValueFormat::NumericFlag ? (on ? "-1" : "0") : (on ? "True" : "False"))
                << row.key;
        } else if (row.format == ValueFormat::Password) {
            EXPECT_EQ(*stored, scramblePassword(original.*std::get<std::string Settings::*>(row.member))) << row.key;
        }
    }

    auto loaded = loadSettings(m_paths);
    loadWindowPlacement(m_paths, loaded, 20000, 20000);
    for (const auto& row : settingsTable()) {
        std::visit(
            [&](auto member) {
                if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                    EXPECT_EQ(loaded.*member, original.*member) << row.section << "/" << row.key;
                }
            },
            row.member);
    }
}

} // namespace
} // namespace tidecast::settings
