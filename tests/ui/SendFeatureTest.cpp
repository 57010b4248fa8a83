#include "ui/SendFeature.h"

#include "UiTestSupport.h"
#include "common/Text.h"
#include "mailing/SendLogs.h"
#include "settings/SettingsStore.h"
#include "support/FaultServer.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "ui/ComposerWidget.h"
#include "ui/Features.h"
#include "ui/MainWindow.h"
#include "ui/MessageListModel.h"
#include "ui/MessagesFeature.h"
#include "ui/SendOptionsDialog.h"
#include "ui/SendPreviewDialog.h"
#include "ui/SendProgressDialog.h"
#include "ui/SendResultsDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <optional>

using namespace tidecast;

// A mailing from the desktop application to a test server on loopback: compose, Send, the send
// options (with a look at the preview), the send dialog on its worker thread, the results, and
// the sent copy under "Message History".
class SendFeatureTest : public QObject
{
    Q_OBJECT

private slots:
    void mailsTheGroupEndToEnd()
    {
        QTemporaryDir dir;
        const settings::SettingsPaths paths = uitest::pathsUnder(dir.path());

        const auto record = paths.dataDir / "accepted.txt";
        test::FaultServer server(record, {});
        QVERIFY(server.port() > 0);
        const auto ej = paths.settingsFile();
        for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
                 {"Startup", "Welcome", "1"},
                 {"Server Setup", "SMTP Server", "127.0.0.1"},
                 {"Server Setup", "SMTP Port", std::to_string(server.port())},
                 {"Server Setup", "Security", "none"},
                 {"Server Setup", "Timeout", "5"},
                 {"Client Setup", "Email Address", "me@example.test"},
                 {"Send Options", "Bulk", "0"}}) {
            settings::writeValue(ej, section, key, value);
        }
        const auto addresses = test::numberedAddresses(3);
        QVERIFY(test::makeGroup(paths.dataDir, "Friends", addresses));
        QVERIFY(writeWholeFile(paths.dataDir / "groups.lst", paths.dataFolder() + "Friends.gdb\r\n"));

        ScriptedPrompter prompter;
        ui::MainWindow window(paths, prompter);
        ui::installFeatures(window);
        window.start(QString());

        auto* composer = window.composer();
        const int friends = composer->groupSelector()->findText(QStringLiteral("Friends"));
        QVERIFY(friends >= 0);
        composer->groupSelector()->setCurrentIndex(friends);
        composer->subjectEdit()->setText(QStringLiteral("Hello !*FIRST_NAME*!"));
        composer->bodyEdit()->setPlainText(QStringLiteral("Dear !*FIRST_NAME*!,\nthe news."));

        auto* feature = window.findChild<ui::SendFeature*>();
        QVERIFY(feature != nullptr);
        QString previewSubject;
        QStringList previewHeaders; // for the first recipient, then, shown, for the second
        feature->setPreviewHook([&previewSubject, &previewHeaders](ui::SendPreviewDialog& preview) {
            QTimer::singleShot(0, &preview, [&preview, &previewSubject, &previewHeaders] {
                previewSubject = preview.findChild<QLabel*>(QStringLiteral("subjectLabel"))->text();
                auto* headers = preview.findChild<QPlainTextEdit*>(QStringLiteral("headersTextEdit"));
                preview.findChild<QPushButton*>(QStringLiteral("showHeadersButton"))->click();
                previewHeaders << headers->toPlainText();
                preview.findChild<QPushButton*>(QStringLiteral("viewNextButton"))->click();
                previewHeaders << headers->toPlainText();
                preview.findChild<QPushButton*>(QStringLiteral("closePreviewButton"))->click();
            });
        });
        feature->setOptionsDialogHook([](ui::SendOptionsDialog& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog] {
                dialog.findChild<QPushButton*>(QStringLiteral("previewButton"))->click();
                dialog.findChild<QPushButton*>(QStringLiteral("sendButton"))->click();
            });
        });
        std::optional<mailing::SendSummary> summary;
        QString caption;
        feature->setSendDialogHook([&summary, &caption, &paths](ui::SendProgressDialog& dialog) {
            caption = dialog.windowTitle();
            dialog.setResultsHandler([&summary, &paths](const mailing::SendSummary& result) {
                summary = result;
                // The results dialog over the same logs.
                ScriptedPrompter quiet;
                ui::SendResultsDialog results(result, paths.dataDir, quiet);
                QCOMPARE(results.statusText(), QStringLiteral("Message Successfully Mailed"));
                results.showLog(1);
                QCOMPARE(results.logText(),
                         QStringLiteral("user1@example.test\nuser2@example.test\nuser3@example.test\n"));
            });
        });

        window.dispatch(QStringLiteral("ID_Send"));

        QCOMPARE(previewSubject, QStringLiteral("Hello First"));
        QCOMPARE(previewHeaders.size(), 2);
        QVERIFY2(previewHeaders[0].contains(QStringLiteral("\nSubject: Hello First\n")), qPrintable(previewHeaders[0]));
        QVERIFY2(previewHeaders[0].contains(QStringLiteral("user1@example.test")), qPrintable(previewHeaders[0]));
        QVERIFY2(previewHeaders[1].contains(QStringLiteral("user2@example.test")), qPrintable(previewHeaders[1]));
        QCOMPARE(caption, QStringLiteral("Sending to: Friends"));
        QVERIFY(summary.has_value());
        QCOMPARE(static_cast<int>(summary->result), static_cast<int>(mailing::SendResult::Completed));
        QCOMPARE(summary->counters.sent, 3);
        QCOMPARE(splitLines(readWholeFile(record)), addresses);
        QVERIFY2(prompter.log().empty(), prompter.log().empty() ? "" : prompter.log().front().text.c_str());

        // The sent copy is stored and listed.
        int copies = 0;
        for (const auto& entry : std::filesystem::directory_iterator(paths.dataDir / "Sent Messages")) {
            copies += entry.path().extension() == ".tcm" ? 1 : 0;
        }
        QCOMPARE(copies, 1);
        QCOMPARE(window.findChild<ui::MessagesFeature*>()->messageList()->rowCount(), 1);
    }
};

QTEST_MAIN(SendFeatureTest)
#include "SendFeatureTest.moc"
