#include "ui/GroupDialog.h"

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "store/StoreTexts.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tidecast;
using namespace tidecast::ui;

class GroupDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    NullStatusSink m_status;
    NullProgress m_progress;
    SystemClock m_clock;
    std::unique_ptr<store::GroupStore> m_groups;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        m_groups =
            std::make_unique<store::GroupStore>(m_dir->path().toStdString(), m_prompter, m_status, m_progress, m_clock);
    }

    void addsAGroupWithItsOwnIdentityTypedKeyByKey()
    {
        m_groups->beginAddGroup();
        GroupDialog dialog(*m_groups, {});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add New Group"));
        QVERIFY(!dialog.senderNameEdit()->isEnabled());

        // A key outside the allowed set is dropped with the message.
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("Sea_Club"));
        QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("SeaClub"));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kGroupNameCharacters)});

        dialog.defaultIdentityCheck()->setChecked(false);
        QVERIFY(dialog.senderNameEdit()->isEnabled());
        QTest::keyClicks(dialog.senderNameEdit(), QStringLiteral("Ann"));
        // OK with a bad address keeps the dialog open with the focus on the address.
        QTest::keyClicks(dialog.senderEmailEdit(), QStringLiteral("ann"));
        m_prompter.clear();
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kSenderEmailWithoutAt)});
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QTRY_VERIFY(dialog.senderEmailEdit()->hasFocus());

        QTest::keyClicks(dialog.senderEmailEdit(), QStringLiteral("@example.test"));
        // Enter goes into the signature instead of closing the dialog.
        dialog.signatureEdit()->setFocus();
        QTest::keyClicks(dialog.signatureEdit(), QStringLiteral("Regards"));
        QTest::keyClick(dialog.signatureEdit(), Qt::Key_Return);
        QTest::keyClicks(dialog.signatureEdit(), QStringLiteral("Ann"));
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        m_groups->finishAddGroup();

        QCOMPARE(m_groups->rows().size(), std::size_t{1});
        QCOMPARE(m_groups->rows()[0].name, std::string("SeaClub"));
        const auto details = store::parseGroupDetails(m_groups->detailsFile("SeaClub"));
        QVERIFY(!details.useDefault);
        QCOMPARE(details.senderEmail, std::string("ann@example.test"));
        QCOMPARE(details.signature, std::string("Regards\r\nAnn"));
    }

    void modifyFillsTheDialogAndRenames()
    {
        store::GroupDetails details;
        details.useDefault = false;
        details.senderName = "Bob";
        details.senderEmail = "bob@example.test";
        details.signature = "Line one\r\nLine two";
        m_groups->beginAddGroup();
        QVERIFY(m_groups->acceptGroupDialog("", "Old Name", details).accepted());
        m_groups->finishAddGroup();

        QVERIFY(m_groups->beginModifyGroup("Old Name"));
        GroupDialog dialog(*m_groups, QStringLiteral("Old Name"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Modify Group Name"));
        QCOMPARE(dialog.senderNameEdit()->text(), QStringLiteral("Bob"));
        QCOMPARE(dialog.signatureEdit()->toPlainText(), QStringLiteral("Line one\nLine two"));
        QVERIFY(!dialog.defaultIdentityCheck()->isChecked());
        dialog.nameEdit()->setText(QStringLiteral("New Name"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_groups->finishModifyGroup(), std::string("New Name"));
        QCOMPARE(m_groups->rows()[0].name, std::string("New Name"));
        QCOMPARE(store::parseGroupDetails(m_groups->detailsFile("New Name")), details);
    }
};

QTEST_MAIN(GroupDialogTest)
#include "GroupDialogTest.moc"
