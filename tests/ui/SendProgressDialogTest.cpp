#include "ui/SendProgressDialog.h"

#include "common/Text.h"
#include "mailing/SendLogs.h"
#include "support/FaultServer.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace tidecast;

// The send dialog runs the mailing on a worker thread: the dialog keeps working meanwhile, and a
// confirmed Stop ends the mailing at the next recipient with everything mailed so far logged.
class SendProgressDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void stopEndsTheMailingAtTheNextRecipient()
    {
        QTemporaryDir dir;
        const std::filesystem::path data = dir.path().toStdString();
        const auto addresses = test::numberedAddresses(3000);
        QVERIFY(test::makeGroup(data, "Friends", addresses));
        test::FaultServer server(data / "accepted.txt", {});
        QVERIFY(server.port() > 0);

        mailing::MailingSetup setup;
        setup.settings.smtpServer = "127.0.0.1";
        setup.settings.smtpPort = server.port();
        setup.settings.timeout = 5;
        setup.settings.security = "none";
        setup.options.groupName = "Friends";
        setup.options.senderAddress = "me@example.test";
        setup.options.bulkGroupSize = 25;
        setup.options.optionsConfirmed = true;
        setup.message.subject = "News";
        setup.message.body = "Hello";
        setup.dataDir = data;
        setup.settingsFile = data / "ej.dat";

        ScriptedPrompter prompter;
        prompter.queue(Answer::No); // the first Stop is taken back
        prompter.queue(Answer::Yes);
        ui::SendProgressDialog dialog(setup, prompter);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sending to: Friends"));
        std::optional<mailing::SendSummary> summary;
        dialog.setResultsHandler([&summary](const mailing::SendSummary& result) { summary = result; });
        auto* stop = dialog.findChild<QPushButton*>(QStringLiteral("stopButton"));
        QVERIFY(stop != nullptr);
        QTimer::singleShot(100, &dialog, [stop] { stop->click(); });
        QTimer::singleShot(250, &dialog, [stop, &dialog] {
            stop->click();
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("commandLabel"))->text(), QStringLiteral("Stopping ..."));
            QVERIFY(!stop->isEnabled());
        });

        QCOMPARE(dialog.exec(), int(QDialog::Rejected));

        QVERIFY(summary.has_value());
        QCOMPARE(static_cast<int>(dialog.result()), static_cast<int>(mailing::SendResult::StoppedByUser));
        const auto sent = splitLines(readWholeFile(mailing::SendLogs::file(data, mailing::kSentLogFile)));
        QVERIFY(!sent.empty());
        QVERIFY(sent.size() < addresses.size());
        QCOMPARE(summary->counters.sent, static_cast<std::int64_t>(sent.size()));
        QCOMPARE(splitLines(readWholeFile(data / "accepted.txt")), sent);
        QCOMPARE(prompter.log().size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(prompter.log()[0].text),
                 QStringLiteral("Are you sure you wish to Stop Sending?"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("sentCountLabel"))->text(), QString::number(sent.size()));
    }
};

QTEST_MAIN(SendProgressDialogTest)
#include "SendProgressDialogTest.moc"
