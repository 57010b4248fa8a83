#include "ui/RecipientDialog.h"

#include "common/Clock.h"
#include "common/Progress.h"
#include "common/StatusSink.h"
#include "store/StoreTexts.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace tidecast;
using namespace tidecast::ui;
using store::RecipientField;

class RecipientDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    NullStatusSink m_status;
    NullProgress m_progress;
    SystemClock m_clock;
    std::unique_ptr<store::GroupStore> m_groups;
    std::unique_ptr<commands::GroupSetupCommands> m_list;

    std::vector<store::RecipientRecord> records() { return test::readGroupRecords(m_groups->groupPath("Club")); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = ScriptedPrompter();
        m_groups =
            std::make_unique<store::GroupStore>(m_dir->path().toStdString(), m_prompter, m_status, m_progress, m_clock);
        m_groups->beginAddGroup();
        QVERIFY(m_groups->acceptGroupDialog("", "Club", {}).accepted());
        m_groups->finishAddGroup();
        m_list = std::make_unique<commands::GroupSetupCommands>(*m_groups);
        m_list->setGroup("Club");
    }

    void addsARecipientThroughTheAddressFilter()
    {
        const auto title = m_list->beginAddRecipient();
        QVERIFY(title.has_value());
        RecipientDialog dialog(*m_list, QString::fromStdString(*title));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add a New Recipient to 'Club'"));
        QLineEdit* address = dialog.fieldEdit(RecipientField::EmailAddress);
        QTest::keyClicks(address, QStringLiteral("ann smith!@example.test"));
        QCOMPARE(address->text(), QStringLiteral("annsmith@example.test"));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kSpacesIllegal)});

        QTest::keyClicks(dialog.titleCombo()->lineEdit(), QStringLiteral("Professor Emeritus"));
        QCOMPARE(dialog.titleCombo()->currentText().size(), 15);
        QTest::keyClicks(dialog.fieldEdit(RecipientField::FirstName), QStringLiteral("Ann"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const auto written = records();
        QCOMPARE(written.size(), std::size_t{1});
        QCOMPARE(written[0].get(RecipientField::Title), std::string("Professor "));
        QCOMPARE(written[0].get(RecipientField::FirstName), std::string("Ann"));
        QCOMPARE(m_list->rows().size(), std::size_t{1});

        // The same address again stays open with the duplicate message.
        m_prompter.clear();
        RecipientDialog again(*m_list, QString::fromStdString(*title));
        again.fieldEdit(RecipientField::EmailAddress)->setText(QStringLiteral("ANNSMITH@example.test"));
        again.accept();
        QCOMPARE(again.result(), int(QDialog::Rejected));
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kRecipientExists)});
    }

    void modifiesARecipientAndPicksACustomAttachment()
    {
        store::RecipientRecord record;
        record.set(RecipientField::EmailAddress, "bob@example.test");
        record.set(RecipientField::LastName, "Builder");
        QVERIFY(m_list->saveRecipient(record));
        const auto dateAdded = records()[0].dateAdded;

        const auto title = m_list->beginModifyRecipient("bob@example.test");
        QVERIFY(title.has_value());
        RecipientDialog dialog(*m_list, QString::fromStdString(*title), m_list->findRecipient("bob@example.test"));
        QCOMPARE(dialog.fieldEdit(RecipientField::LastName)->text(), QStringLiteral("Builder"));

        QStringList offered;
        QString answer = QStringLiteral("/tmp/") + QString(46, QLatin1Char('x')); // 51 characters
        dialog.setAttachmentChooser([&](const QString& caption, const QString& folder) {
            offered << caption << folder;
            return answer;
        });
        QLineEdit* field2 = dialog.fieldEdit(RecipientField::Field2);
        dialog.show();
        QTest::mouseDClick(field2, Qt::LeftButton);
        QCOMPARE(field2->text(), QString());
        QCOMPARE(m_prompter.texts(), std::vector<std::string>{std::string(store::text::kAttachmentTooLong)});
        QCOMPARE(offered.value(0), QStringLiteral("Select a custom attachment for this recipient..."));

        answer = QStringLiteral("/srv/files/price-list.pdf");
        QTest::mouseDClick(field2, Qt::LeftButton);
        QCOMPARE(field2->text(), answer);
        QCOMPARE(RecipientDialog::lastAttachmentFolder(), QStringLiteral("/srv/files"));

        dialog.fieldEdit(RecipientField::LastName)->setText(QStringLiteral("Mason"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const auto written = records();
        QCOMPARE(written.size(), std::size_t{1});
        QCOMPARE(written[0].get(RecipientField::LastName), std::string("Mason"));
        QCOMPARE(written[0].get(RecipientField::Field2), answer.toStdString());
        QCOMPARE(written[0].dateAdded, dateAdded);
    }
};

QTEST_MAIN(RecipientDialogTest)
#include "RecipientDialogTest.moc"
