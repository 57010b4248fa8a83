#include "ui/PasswordKeyring.h"

#include "common/Text.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "ui/ServerSetupDialog.h"

#include <QCheckBox>
#include <QTest>

#include <cstdlib>

using namespace tidecast;
using namespace tidecast::ui;

// Run twice by the test list: once with a desktop keyring of its own (a private D-Bus session
// with the keyring daemon) and once with no keyring to reach.
class PasswordKeyringTest : public QObject
{
    Q_OBJECT

private:
    static bool keyringExpected() { return std::getenv("TIDECAST_TEST_KEYRING") != nullptr; }

private slots:
    void serverSetupKeepsThePasswordsInTheKeyringOrSaysWhyNot()
    {
        test::TempDir dir;
        const settings::SettingsPaths paths{dir.path(), dir.path() / "config"};
        ScriptedPrompter prompter;
        settings::Settings settings;
        settings.smtpServer = "mail.example.test";
        settings.smtpAuthentication = true;
        settings.smtpUsername = "ann";
        settings.smtpPassword = "s3cret";
        settings.pop3Server = "pop.example.test";
        settings.pop3Username = "ann.pop";
        settings.pop3Password = "p0p";

        ServerSetupDialog dialog(settings, prompter);
        auto* keep = dialog.findChild<QCheckBox*>(QStringLiteral("keyringCheckBox"));
        QVERIFY(keep != nullptr);
        QVERIFY(!keep->isChecked());
        keep->setChecked(true);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        settings::saveSettings(settings, paths);
        const auto file = paths.settingsFile();

        if (keyringExpected()) {
            QVERIFY(prompter.log().empty());
            QVERIFY(settings.passwordsInKeyring);
            const std::string text = readWholeFile(file);
            QVERIFY(text.find(settings::scramblePassword("s3cret")) == std::string::npos);
            QVERIFY(text.find(settings::scramblePassword("p0p")) == std::string::npos);
            QVERIFY(text.find("SMTP Username=ann") != std::string::npos);
            QCOMPARE(settings::readValue(file, "Server Setup", "Passwords In Keyring", "?"), std::string("True"));

            // The next start reads the file without passwords and fills them from the keyring.
            auto loaded = settings::loadSettings(paths);
            QCOMPARE(loaded.smtpPassword, std::string());
            QVERIFY(PasswordKeyring().fillPasswords(loaded));
            QCOMPARE(loaded.smtpPassword, std::string("s3cret"));
            QCOMPARE(loaded.pop3Password, std::string("p0p"));

            // Another account of the same server has no entry yet: its password is empty.
            loaded.smtpUsername = "bob";
            QVERIFY(PasswordKeyring().fillPasswords(loaded));
            QCOMPARE(loaded.smtpPassword, std::string());
        } else {
            QCOMPARE(prompter.texts().size(), 1u);
            QVERIFY(prompter.texts().front().starts_with("The desktop keyring could not keep the passwords ("));
            QVERIFY(prompter.texts().front().ends_with("). They stay in the settings file."));
            QVERIFY(!settings.passwordsInKeyring);
            QCOMPARE(settings::loadSettings(paths).smtpPassword, std::string("s3cret"));
        }
    }
};

QTEST_MAIN(PasswordKeyringTest)
#include "PasswordKeyringTest.moc"
