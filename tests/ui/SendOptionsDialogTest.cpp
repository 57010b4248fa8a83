#include "ui/SendOptionsDialog.h"

#include "UiTestSupport.h"
#include "mailing/SendOptionsTexts.h"
#include "store/RecipientStore.h"
#include "support/ScriptedChooser.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace tidecast;
using namespace tidecast::ui;
using namespace std::chrono_literals;

namespace
{

using uitest::child;

// Radio buttons react only to clicks on their indicator and text, not the whole row.
void clickRadio(QRadioButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

void makeGroup(const std::filesystem::path& file, int recipients)
{
    store::RecipientStore group;
    store::defineRecipientLayout(group);
    QCOMPARE(group.createFile(file), 0);
    QVERIFY(group.open(file).hasValue());
    for (int i = 0; i < recipients; ++i) {
        QVERIFY(group.addNew().hasValue());
        QVERIFY(group.setField("EmailAddress", "r" + std::to_string(i) + "@example.test").hasValue());
    }
    QVERIFY(group.close().hasValue());
}

} // namespace

class SendOptionsDialogTest : public QObject
{
    Q_OBJECT

private:
    test::TempDir m_dir;
    settings::SettingsPaths m_paths;
    settings::Settings m_settings;
    mailing::SendOptions m_options;
    ScriptedPrompter m_prompter;
    ScriptedChooser m_chooser; // cancels every dialog

    std::unique_ptr<SendOptionsDialog> openDialog(const std::string& text)
    {
        m_options = {};
        m_options.groupName = "Customers";
        m_options.recipientCount = 12;
        mailing::SendOptionsOpening opening{{"Customers"},  text, {}, outgoing::defaultIdentity(m_settings),
                                            2026y / 12 / 6, {}};
        auto dialog = std::make_unique<SendOptionsDialog>(m_options, m_settings, m_paths, m_prompter, m_chooser,
                                                          std::move(opening));
        dialog->show();
        return dialog;
    }

private slots:
    void initTestCase()
    {
        m_paths.dataDir = m_dir.path();
        m_paths.configDir = m_dir / "config";
        m_settings.smtpServer = "mail.example.test";
        m_settings.emailAddress = "me@example.test";
        makeGroup(m_dir / "Customers.gdb", 12);
    }

    void init() { m_prompter.clear(); }

    void bulkIsRefusedForAMessageWithMacros()
    {
        auto dialog = openDialog("Dear !*FIRSTNAME*!,");
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Prepare to Send to Customers"));
        auto* personal = child<QRadioButton>(*dialog, "personalRadioButton");
        auto* bulk = child<QRadioButton>(*dialog, "bulkRadioButton");
        QVERIFY(personal->isChecked());
        QVERIFY(!child<QLineEdit>(*dialog, "toLineEdit")->isEnabled());

        clickRadio(bulk);
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(mailing::text::kBulkRefused)});
        QVERIFY(personal->isChecked());
        QVERIFY(!bulk->isChecked());
        QVERIFY(!child<QLineEdit>(*dialog, "toLineEdit")->isEnabled());

        // Without macros the same click switches to bulk and enables the To box.
        auto plain = openDialog("Dear customer,");
        clickRadio(child<QRadioButton>(*plain, "personalRadioButton"));
        clickRadio(child<QRadioButton>(*plain, "bulkRadioButton"));
        QVERIFY(child<QRadioButton>(*plain, "bulkRadioButton")->isChecked());
        QVERIFY(child<QLineEdit>(*plain, "toLineEdit")->isEnabled());
        QCOMPARE(m_prompter.log().size(), std::size_t(1));
    }

    void partialBoxesTakeDigitsOnlyAndFollowTheRules()
    {
        auto dialog = openDialog("Hello");
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        auto* start = child<QLineEdit>(*dialog, "partialStartLineEdit");
        auto* end = child<QLineEdit>(*dialog, "partialEndLineEdit");
        QCOMPARE(start->text(), QStringLiteral("1"));
        QCOMPARE(end->text(), QStringLiteral("12"));
        QVERIFY(!start->isEnabled());
        child<QTabWidget>(*dialog, "sendOptionsTabWidget")->setCurrentIndex(4);
        child<QCheckBox>(*dialog, "partialCheckBox")->setChecked(true);
        QVERIFY(start->isEnabled());

        end->setFocus();
        end->selectAll();
        QTest::keyClicks(end, QStringLiteral("9x9"));
        QCOMPARE(end->text(), QStringLiteral("99"));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{"Numbers only please!"});
        start->setFocus(); // leaving the end box caps it at the group's size
        QCOMPARE(end->text(), QStringLiteral("12"));
    }

    void sendRefusesWithoutAnAddressThenHandsBackTheOptions()
    {
        auto dialog = openDialog("Hello");
        auto* from = child<QLineEdit>(*dialog, "fromLineEdit");
        from->clear();
        QTest::mouseClick(child<QPushButton>(*dialog, "sendButton"), Qt::LeftButton);
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(mailing::text::kEnterFromAddress)});
        QCOMPARE(child<QTabWidget>(*dialog, "sendOptionsTabWidget")->currentIndex(), 1);
        QCOMPARE(dialog->focusWidget(), from);
        QVERIFY(dialog->isVisible());

        QTest::keyClicks(from, QStringLiteral("sender@example.test"));
        QTest::keyClicks(child<QLineEdit>(*dialog, "toLineEdit"), QStringLiteral(" and friends"));
        QTest::mouseClick(child<QPushButton>(*dialog, "sendButton"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(m_options.optionsConfirmed);
        QCOMPARE(m_options.senderAddress, std::string("sender@example.test"));
        QCOMPARE(m_options.smtpServer, std::string("mail.example.test"));
        QVERIFY(m_options.bulkMode);
        QCOMPARE(m_options.bulkToText, std::string("Customers and friends"));
        QCOMPARE(m_options.sendFilters, std::vector<std::string>{""});
    }

    void cancelledSetupShowsTheConfiguredServerAgain()
    {
        auto dialog = openDialog("Hello");
        auto* server = child<QLineEdit>(*dialog, "serverLineEdit");
        server->setText(QStringLiteral("typed.example.test"));
        QTimer::singleShot(0, [] {
            auto* setup = QApplication::activeModalWidget();
            QVERIFY(setup != nullptr && setup->objectName() != QStringLiteral("sendOptionsDialog"));
            qobject_cast<QDialog*>(setup)->reject();
        });
        QTest::mouseClick(child<QPushButton>(*dialog, "setupButton"), Qt::LeftButton);
        QCOMPARE(server->text(), QStringLiteral("mail.example.test"));
    }
};

QTEST_MAIN(SendOptionsDialogTest)
#include "SendOptionsDialogTest.moc"
