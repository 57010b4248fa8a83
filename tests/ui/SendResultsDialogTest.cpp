#include "ui/SendResultsDialog.h"

#include "common/Text.h"
#include "mailing/SendLogs.h"
#include "support/ScriptedPrompter.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <filesystem>

using namespace tidecast;

class SendResultsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void showsSavesAndPrintsTheLogs()
    {
        QTemporaryDir dir;
        const std::filesystem::path data = dir.path().toStdString();
        std::filesystem::create_directories(mailing::SendLogs::folder(data));
        QVERIFY(writeWholeFile(mailing::SendLogs::file(data, mailing::kSentLogFile),
                               "a@example.test\r\nb@example.test\r\n"));
        QVERIFY(writeWholeFile(mailing::SendLogs::file(data, mailing::kFiltersLogFile),
                               "c@example.test - Added Before Date Filter\r\n"));

        mailing::SendSummary summary;
        summary.subject = "News";
        summary.groupName = "Friends";
        summary.groupSize = 10;
        summary.partialSend = true;
        summary.partialStart = 3;
        summary.partialEnd = 5;
        summary.result = mailing::SendResult::StoppedByUser;
        summary.counters = {2, 0, 1, 0, 4, 10};
        ScriptedPrompter prompter;
        ui::SendResultsDialog results(summary, data, prompter);

        QCOMPARE(results.statusText(), QStringLiteral("Partial Mailing Stopped by User"));
        QVERIFY(results.findChild<QLabel*>(QStringLiteral("statusLabel"))->font().bold());
        QCOMPARE(results.findChild<QLabel*>(QStringLiteral("sizeLabel"))->text(),
                 QStringLiteral("10  - Partial Send Window Size = 3"));
        auto* selector = results.findChild<QComboBox*>(QStringLiteral("logComboBox"));
        QCOMPARE(selector->count(), 5);
        QCOMPARE(selector->itemText(2), QStringLiteral("Recipient Error Log"));
        QCOMPARE(results.logText(), QString()); // the session log is missing: an empty viewer
        selector->setCurrentIndex(4);
        QCOMPARE(results.logText(), QStringLiteral("c@example.test - Added Before Date Filter\n"));
        selector->setCurrentIndex(1);
        // A log opens at its end, where it says how the mailing ended.
        const QTextCursor cursor = results.findChild<QPlainTextEdit*>()->textCursor();
        QVERIFY(cursor.atEnd() && cursor.position() > 0);

        // Saved with CR LF line ends, replacing the file.
        const QString saved = dir.filePath(QStringLiteral("Sent Log.txt"));
        QVERIFY(writeWholeFile(saved.toStdString(), std::string(200, 'x')));
        QVERIFY(results.saveTo(saved));
        QCOMPARE(readWholeFile(saved.toStdString()), std::string("a@example.test\r\nb@example.test\r\n"));
        QVERIFY(!results.saveTo(dir.filePath(QStringLiteral("no/such/folder/x.txt"))));
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Error saving message."});

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        printer.setOutputFileName(pdf);
        results.printTo(printer);
        QVERIFY(QFileInfo(pdf).size() > 0);
    }
};

QTEST_MAIN(SendResultsDialogTest)
#include "SendResultsDialogTest.moc"
