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

#include <functional>
#include <optional>

using namespace tidecast;

namespace
{

// Answers the Stop question from a queue, but only once the mailing has come to a hold, and notes
// what the server had accepted by then.
class AnswerOnceHeld final : public Prompter
{
public:
    AnswerOnceHeld(std::filesystem::path accepted, std::vector<Answer> answers)
        : m_accepted(std::move(accepted))
        , m_answers(std::move(answers))
    {}
    void watch(const ui::SendProgressDialog& dialog) { m_dialog = &dialog; }

    void message(std::string_view text, Icon) override { texts.emplace_back(text); }
    Answer ask(std::string_view text, Buttons, Icon, Answer) override
    {
        texts.emplace_back(text);
        held.push_back(QTest::qWaitFor([this] { return m_dialog->stopControl().isHolding(); }, 10000));
        acceptedWhenHeld = splitLines(readWholeFile(m_accepted));
        const Answer answer = m_answers.at(m_next++);
        if (answered) {
            QTimer::singleShot(0, [this, answer] { answered(answer); });
        }
        return answer;
    }

    std::vector<std::string> texts;
    std::vector<bool> held;
    std::vector<std::string> acceptedWhenHeld;
    // Called from the event loop once an answer has been given.
    std::function<void(Answer)> answered;

private:
    std::filesystem::path m_accepted;
    std::vector<Answer> m_answers;
    std::size_t m_next = 0;
    const ui::SendProgressDialog* m_dialog = nullptr;
};

} // namespace

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

        // The first Stop is taken back, the second confirmed.
        AnswerOnceHeld prompter(data / "accepted.txt", {Answer::No, Answer::Yes});
        ui::SendProgressDialog dialog(setup, prompter);
        prompter.watch(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sending to: Friends"));
        std::optional<mailing::SendSummary> summary;
        dialog.setResultsHandler([&summary](const mailing::SendSummary& result) { summary = result; });
        auto* stop = dialog.findChild<QPushButton*>(QStringLiteral("stopButton"));
        QVERIFY(stop != nullptr);
        // Stop once the server has taken a message, and again as soon as the first Stop was taken
        // back, so that a busy machine cannot let the mailing end first.
        QTimer poll;
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (!readWholeFile(data / "accepted.txt").empty()) {
                poll.stop();
                stop->click();
            }
        });
        poll.start(5);
        prompter.answered = [stop, &dialog](Answer answer) {
            if (answer != Answer::No) {
                return;
            }
            stop->click();
            QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("commandLabel"))->text(), QStringLiteral("Stopping ..."));
            QVERIFY(!stop->isEnabled());
        };

        QCOMPARE(dialog.exec(), int(QDialog::Rejected));

        QVERIFY(summary.has_value());
        QCOMPARE(static_cast<int>(dialog.result()), static_cast<int>(mailing::SendResult::StoppedByUser));
        const auto sent = splitLines(readWholeFile(mailing::SendLogs::file(data, mailing::kSentLogFile)));
        QVERIFY(!sent.empty());
        QVERIFY(sent.size() < addresses.size());
        QCOMPARE(summary->counters.sent, static_cast<std::int64_t>(sent.size()));
        QCOMPARE(splitLines(readWholeFile(data / "accepted.txt")), sent);
        // While the question was open nothing more went out, and nothing went out after Yes.
        QCOMPARE(prompter.held, (std::vector<bool>{true, true}));
        QCOMPARE(prompter.acceptedWhenHeld, sent);
        QCOMPARE(prompter.texts, (std::vector<std::string>(2, "Are you sure you wish to Stop Sending?")));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("sentCountLabel"))->text(), QString::number(sent.size()));
    }
};

QTEST_MAIN(SendProgressDialogTest)
#include "SendProgressDialogTest.moc"
