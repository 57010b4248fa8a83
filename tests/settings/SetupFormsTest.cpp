#include "settings/SetupForms.h"

#include "settings/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tidecast::settings
{
namespace
{

TEST(SetupForms, TimeoutSliderCaptionsAndSteps)
{
    const std::vector<std::string> expected = {
        "30 Seconds",           "1 Minute",  "1 minute 30 Seconds",  "2 Minutes", "2 Minutes 30 Seconds", "3 Minutes",
        "3 Minutes 30 Seconds", "4 Minutes", "4 Minutes 30 Seconds", "5 Minutes", "5 Minutes 30 Seconds", "6 Minutes",
        "6 Minutes 30 Seconds", "7 Minutes", "7 Minutes 30 Seconds", "8 Minutes", "8 Minutes 30 Seconds", "9 Minutes",
        "9 Minutes 30 Seconds", "10 Minutes"};
    for (int position = 0; position < kTimeoutSteps; ++position) {
        EXPECT_EQ(timeoutCaption(position), expected[static_cast<std::size_t>(position)]);
        EXPECT_EQ(timeoutPosition(timeoutSeconds(position)), position);
    }
    // Anything that is not a step opens at 5 minutes.
    for (int seconds : {45, 0, -30, 15, 630, 100000}) {
        EXPECT_EQ(timeoutPosition(seconds), 9) << seconds;
    }
}

TEST(SetupForms, ListsMapBetweenShownAndStoredValues)
{
    MessageSetupForm form;
    form.characterSet = 6;
    form.encoding = 2;
    form.htmlEncoding = 0;
    form.wrapWidth = 60;
    Settings settings;
    applyMessageSetup(form, settings);
    EXPECT_EQ(characterSetChoices()[6].shown, "Cyrillic (KO18-U)");
    EXPECT_EQ(settings.characterSet, "ko18-u");
    EXPECT_EQ(settings.encoding, "base64");
    EXPECT_EQ(settings.htmlEncoding, "none");
    EXPECT_EQ(settings.wrapWidth, 60);

    settings.characterSet = "utf-8";
    EXPECT_EQ(messageSetupForm(settings).characterSet, 12);
    settings.characterSet = "x-unknown";
    EXPECT_EQ(messageSetupForm(settings).characterSet, 0);

    EXPECT_EQ(groupLetSizeChoice(75), "75");
    EXPECT_EQ(groupLetSizeChoice(30), "25");
    EXPECT_TRUE(isNumberKey(U'7'));
    EXPECT_TRUE(isNumberKey(U'\b'));
    EXPECT_FALSE(isNumberKey(U'a'));
    EXPECT_FALSE(isNumberKey(U'-'));
}

TEST(SetupForms, ServerSetupRefusesIncompleteDetailsAndStoresNothing)
{
    Settings settings;
    settings.smtpServer = "old.example.test";
    ScriptedPrompter prompter;

    ServerSetupForm form = serverSetupForm(settings);
    EXPECT_EQ(form.port, "25");
    EXPECT_EQ(form.timeoutPosition, 3); // 120 seconds
    form.server = "new.example.test";
    form.smtpAuthentication = true;
    form.smtpUsername = "me";
    EXPECT_EQ(applyServerSetup(form, settings, prompter), ServerSetupRefusal::SmtpUsername);
    EXPECT_EQ(settings.smtpServer, "old.example.test");

    form.smtpPassword = "secret";
    form.pop3Authentication = true;
    form.pop3Server = "pop.example.test";
    form.pop3Username = "me";
    EXPECT_EQ(applyServerSetup(form, settings, prompter), ServerSetupRefusal::Pop3Server);
    EXPECT_EQ(settings.smtpServer, "old.example.test");

    form.pop3Password = "pw";
    form.pop3Port = "";
    form.timeoutPosition = 19;
    form.bulkGroupSize = "50";
    form.security = "tls";
    form.connections = 40;
    form.extraServers = "relay2.example.test, relay3.example.test:2525";
    form.rateLimit = -5;
    form.retryAttempts = 0;
    EXPECT_EQ(applyServerSetup(form, settings, prompter), ServerSetupRefusal::None);
    EXPECT_EQ(settings.connections, 16);
    EXPECT_EQ(settings.extraServers, "relay2.example.test, relay3.example.test:2525");
    EXPECT_EQ(settings.rateLimit, 0);
    EXPECT_EQ(settings.retryAttempts, 1);
    EXPECT_EQ(settings.smtpServer, "new.example.test");
    EXPECT_EQ(settings.pop3Port, 110);
    EXPECT_EQ(settings.timeout, 600);
    EXPECT_EQ(settings.bulkGroupSize, 50);
    EXPECT_EQ(settings.security, "tls");
    EXPECT_TRUE(settings.smtpAuthentication);

    EXPECT_EQ(prompter.log(), (std::vector<ScriptedPrompter::Entry>{
                                  {"Please enter your SMTP Authentication details first.", Icon::Critical, false},
                                  {"Please enter your POP3 Account details first.", Icon::Critical, false}}));
}

TEST(SetupForms, WelcomeWritesItsKeysAtOnce)
{
    test::TempDir dir;
    SettingsPaths paths{dir.path(), dir / "config"};
    Settings settings;
    settings.smtpPort = 587;
    writeWelcomeSettings(paths, settings, "mail.example.test", "me@example.test", "Me");
    const auto file = paths.settingsFile();
    EXPECT_EQ(readValue(file, "Startup", "Welcome", "0"), "-1");
    EXPECT_EQ(readValue(file, "Server Setup", "SMTP Server", ""), "mail.example.test");
    EXPECT_EQ(readValue(file, "Server Setup", "SMTP Port", ""), "25");
    EXPECT_EQ(readValue(file, "Client Setup", "Email Address", ""), "me@example.test");
    EXPECT_EQ(readValue(file, "Client Setup", "Real Name", ""), "Me");
    EXPECT_EQ(settings.smtpServer, "mail.example.test");
    EXPECT_EQ(settings.realName, "Me");
}

} // namespace
} // namespace tidecast::settings
