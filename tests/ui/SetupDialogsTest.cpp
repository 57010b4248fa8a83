#include "UiTestSupport.h"
#include "outgoing/DeliverabilityTexts.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "ui/MessageSetupDialog.h"
#include "ui/ServerSetupDialog.h"
#include "ui/WelcomeWizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

using namespace tidecast;
using namespace tidecast::ui;
using uitest::child;

class SetupDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void timeoutSliderShowsItsTimeAndOddValuesOpenAtFiveMinutes()
    {
        ScriptedPrompter prompter;
        settings::Settings settings;
        settings.timeout = 45;
        ServerSetupDialog dialog(settings, prompter);
        QCOMPARE(dialog.timeoutSlider()->value(), 9);
        QCOMPARE(dialog.timeoutLabel()->text(), QStringLiteral("5 Minutes"));

        // Every step's caption and seconds are checked on the core; here the label follows the slider.
        dialog.timeoutSlider()->setValue(4);
        QCOMPARE(dialog.timeoutLabel()->text(), QStringLiteral("2 Minutes 30 Seconds"));
        dialog.timeoutSlider()->setValue(19);
        dialog.accept();
        QCOMPARE(settings.timeout, 600);
    }

    void portsTakeDigitsOnlyAndIncompleteAuthenticationKeepsTheDialogOpen()
    {
        ScriptedPrompter prompter;
        settings::Settings settings;
        settings.smtpServer = "old.example.test";
        ServerSetupDialog dialog(settings, prompter);
        dialog.show();
        auto* port = child<QLineEdit>(dialog, "portLineEdit");
        QVERIFY(port != nullptr);
        QCOMPARE(port->text(), QStringLiteral("25"));
        QTest::keyClick(port, Qt::Key_A, Qt::NoModifier);
        QCOMPARE(port->text(), QStringLiteral("25"));
        QCOMPARE(prompter.log(),
                 (std::vector<ScriptedPrompter::Entry>{{"Numbers only please!", Icon::Exclamation, false}}));
        QTest::keyClick(port, Qt::Key_8);
        QCOMPARE(port->text(), QStringLiteral("258"));
        QTest::keyClick(port, Qt::Key_Backspace);
        QCOMPARE(port->text(), QStringLiteral("25"));
        QCOMPARE(prompter.log().size(), 1u);

        // The user-name and password fields follow their box.
        auto* authentication = child<QCheckBox>(dialog, "smtpAuthenticationCheckBox");
        auto* username = child<QLineEdit>(dialog, "smtpUsernameLineEdit");
        QVERIFY(!username->isEnabled());
        authentication->setChecked(true);
        QVERIFY(username->isEnabled());
        username->setText(QStringLiteral("me"));
        child<QLineEdit>(dialog, "serverLineEdit")->setText(QStringLiteral("new.example.test"));
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter.texts().back(), std::string("Please enter your SMTP Authentication details first."));
        QCOMPARE(settings.smtpServer, std::string("old.example.test"));
        QVERIFY(!settings.smtpAuthentication);

        child<QLineEdit>(dialog, "smtpPasswordLineEdit")->setText(QStringLiteral("pw"));
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(settings.smtpServer, std::string("new.example.test"));
        QCOMPARE(settings.smtpPassword, std::string("pw"));
    }

    void messageSetupStoresTheChosenCharacterSet()
    {
        ScriptedPrompter prompter;
        settings::Settings settings;
        settings.characterSet = "iso-8859-7";
        MessageSetupDialog dialog(settings, prompter);
        auto* charset = child<QComboBox>(dialog, "characterSetComboBox");
        QCOMPARE(charset->currentText(), QStringLiteral("Modern Greek (ISO-8859-7)"));
        QCOMPARE(charset->itemText(charset->count() - 1), QStringLiteral("Unicode (UTF-8)"));
        charset->setCurrentText(QStringLiteral("Cyrillic (KO18-U)"));
        dialog.accept();
        QCOMPARE(settings.characterSet, std::string("ko18-u"));
    }

    void deliverabilityPageStoresTrimmedFieldsAndShowsTheDnsRecord()
    {
        QTemporaryDir dir;
        const std::string key = (dir.path() + QStringLiteral("/dkim.pem")).toStdString();
        QCOMPARE(std::system(("openssl genpkey -algorithm ED25519 -out '" + key + "' 2>/dev/null").c_str()), 0);
        ScriptedPrompter prompter;
        settings::Settings settings;
        settings.unsubscribeMailto = "leave@example.test";
        MessageSetupDialog dialog(settings, prompter);
        const auto edit = [&dialog](const char* name) { return child<QLineEdit>(dialog, name); };
        QCOMPARE(edit("unsubscribeMailtoLineEdit")->text(), QStringLiteral("leave@example.test"));

        // Without a key there is no record, and the message says what is missing.
        auto* record = child<QPushButton>(dialog, "dnsRecordButton");
        QTest::mouseClick(record, Qt::LeftButton);
        QCOMPARE(prompter.log().size(), std::size_t(1));
        QCOMPARE(prompter.log().back().text, std::string(outgoing::text::kDkimIncomplete));
        QCOMPARE(prompter.log().back().icon, Icon::Critical);

        edit("unsubscribeUrlLineEdit")->setText(QStringLiteral(" https://example.test/u?e=!*EMAIL*! "));
        edit("dkimDomainLineEdit")->setText(QStringLiteral("example.test "));
        edit("dkimSelectorLineEdit")->setText(QStringLiteral(" news"));
        QTest::keyClicks(edit("dkimKeyFileLineEdit"), QString::fromStdString(key));
        QTest::mouseClick(record, Qt::LeftButton);
        QCOMPARE(prompter.log().size(), std::size_t(2));
        QCOMPARE(prompter.log().back().icon, Icon::Information);
        const std::string notice = prompter.log().back().text;
        const std::string start = "Publish this TXT record in the DNS at news._domainkey.example.test:\r\n"
                                  "v=DKIM1; k=ed25519; p=";
        QVERIFY2(notice.rfind(start, 0) == 0, notice.c_str());
        QCOMPARE(notice.size(), start.size() + 44); // 32 octets in Base64
        // Nothing is stored before OK.
        QCOMPARE(settings.dkimKeyFile, std::string());

        dialog.accept();
        QCOMPARE(settings.unsubscribeMailto, std::string("leave@example.test"));
        QCOMPARE(settings.unsubscribeUrl, std::string("https://example.test/u?e=!*EMAIL*!"));
        QCOMPARE(settings.dkimDomain, std::string("example.test"));
        QCOMPARE(settings.dkimSelector, std::string("news"));
        QCOMPARE(settings.dkimKeyFile, key);
    }

    void welcomeCancelledOnItsFirstPageStillFinishesTheFirstRun()
    {
        QTemporaryDir dir;
        settings::SettingsPaths paths{dir.path().toStdString(), (dir.path() + QStringLiteral("/config")).toStdString()};
        ScriptedPrompter prompter;
        settings::Settings settings;
        settings.smtpServer = "mail.example.test";
        settings.emailAddress = "me@example.test";
        settings.realName = "Me";
        settings.smtpPort = 2525;

        WelcomeWizard wizard(settings, paths, prompter, {});
        wizard.show();
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::IntroductionPage));
        child<QPushButton>(wizard, "cancelButton")->click();
        QVERIFY(!wizard.isVisible());

        const auto file = paths.settingsFile();
        QCOMPARE(settings::readValue(file, "Startup", "Welcome", "0"), std::string("-1"));
        // Which keys the welcome writes, and how, is checked on the core.
        QCOMPARE(settings::readValue(file, "Server Setup", "SMTP Server", ""), std::string("mail.example.test"));
    }

    void enterInTheWelcomeGoesForward()
    {
        QTemporaryDir dir;
        settings::SettingsPaths paths{dir.path().toStdString(), (dir.path() + QStringLiteral("/config")).toStdString()};
        ScriptedPrompter prompter;
        settings::Settings settings;
        WelcomeWizard wizard(settings, paths, prompter, {});
        wizard.show();
        QVERIFY(QTest::qWaitForWindowActive(&wizard));
        auto* server = child<QLineEdit>(wizard, "serverLineEdit");
        auto* previous = child<QPushButton>(wizard, "previousButton");

        QTest::keyClick(&wizard, Qt::Key_Return);
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::ServerPage));
        // Typing the server's name and pressing Enter is the natural way on.
        server->setFocus();
        QTest::keyClicks(server, QStringLiteral("smtp.example.test"));
        QTest::keyClick(server, Qt::Key_Return);
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::GroupsPage));
        // Even after going back with the mouse.
        previous->click();
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::ServerPage));
        QTest::keyClick(server, Qt::Key_Enter);
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::GroupsPage));
    }

    void welcomePagesAndGroupChecks()
    {
        QTemporaryDir dir;
        settings::SettingsPaths paths{dir.path().toStdString(), (dir.path() + QStringLiteral("/config")).toStdString()};
        ScriptedPrompter prompter;
        settings::Settings settings;
        QStringList groups;
        WelcomeWizard::GroupActions actions;
        actions.groups = [&groups] { return groups; };
        actions.createGroup = [&groups] {
            groups << QStringLiteral("Members");
            return true;
        };
        WelcomeWizard wizard(settings, paths, prompter, actions);
        wizard.show();
        auto* next = child<QPushButton>(wizard, "nextButton");
        auto* cancel = child<QPushButton>(wizard, "cancelButton");
        auto* addRecipients = child<QPushButton>(wizard, "addRecipientsButton");
        next->click();
        child<QLineEdit>(wizard, "serverLineEdit")->setText(QStringLiteral("smtp.example.test"));
        next->click();
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::GroupsPage));
        addRecipients->click();
        child<QPushButton>(wizard, "createGroupButton")->click();
        addRecipients->click();
        QCOMPARE(prompter.texts(), (std::vector<std::string>{"Please add a Group first", "Please select Group first"}));
        next->click();
        QCOMPARE(wizard.currentPage(), int(WelcomeWizard::ClosingPage));
        QVERIFY(!next->isEnabled());
        QCOMPARE(cancel->text(), QStringLiteral("&Close"));
        cancel->click();
        QCOMPARE(settings.smtpServer, std::string("smtp.example.test"));
        QCOMPARE(settings::readValue(paths.settingsFile(), "Server Setup", "SMTP Server", ""),
                 std::string("smtp.example.test"));
    }
};

QTEST_MAIN(SetupDialogsTest)
#include "SetupDialogsTest.moc"
