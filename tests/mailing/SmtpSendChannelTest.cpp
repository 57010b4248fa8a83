#include "mailing/SmtpSendChannel.h"

#include "common/Clock.h"
#include "common/Text.h"
#include "mailing/SendSession.h"
#include "net/SmtpErrors.h"
#include "support/MemoryLogSink.h"
#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tidecast;
using namespace tidecast::mailing;
using test::MemoryLogSink;
using test::ServerProcess;
using test::TestCertificates;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{

class LetterSource final : public MessageSource
{
public:
    Result<ByteChain> build(const store::RecipientRecord& recipient) override
    {
        return ByteChain("To: " + recipient.emailAddress() + "\r\nSubject: hello\r\n\r\n.Dear reader\r\n");
    }
};

class ActivityMonitor final : public SendMonitor
{
public:
    void activity(std::string_view line) override { lines.emplace_back(line); }
    void counters(const SendCounters&) override {}
    void modeLabel(std::string_view) override {}
    void partialLabel(std::string_view) override {}
    std::vector<std::string> lines;
};

// A whole mailing through the session and our clients to aiosmtpd.
struct Mailing
{
    Mailing(std::uint16_t port, bool bulk, int bulkGroupSize)
    {
        settings.smtpServer = "127.0.0.1";
        settings.smtpPort = port;
        settings.timeout = 5;
        settings.domain = "client.test";
        settings.security = "auto";
        options.dataDir = data.path();
        options.settingsFile = data / "ej.dat";
        options.groupName = "Friends";
        options.senderAddress = "me@example.test";
        options.bulkMode = bulk;
        options.bulkGroupSize = bulkGroupSize;
        options.optionsConfirmed = true;
    }

    bool run()
    {
        MonitorLogSink activity(monitor);
        FileLogSink sessionLog(logs.session());
        LastErrorLogSink lastError(options.settingsFile);
        SmtpSendChannel channel(settings, options, {activity, sessionLog, lastError, progress, prompter});
        SendSession session(options, channel, letters, logs, prompter, progress, monitor, clock);
        const bool completed = session.run();
        logs.close();
        return completed;
    }

    std::vector<std::string> log(std::string_view name) const { return test::logLines(data.path(), name); }

    tidecast::test::TempDir data;
    settings::Settings settings;
    SessionOptions options;
    LetterSource letters;
    SendLogs logs;
    ScriptedPrompter prompter;
    NullProgress progress;
    ActivityMonitor monitor;
    SystemClock clock;
};

int countOf(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kPassword = "Zebra-Pass-7731";

class RecordingProgress final : public Progress
{
public:
    void setLabel(std::string_view text) override { labels.emplace_back(text); }
    void setMaximum(std::int64_t value) override { maximum = value; }
    void setValue(std::int64_t value) override { values.push_back(value); }

    std::vector<std::string> labels;
    std::int64_t maximum = 0;
    std::vector<std::int64_t> values;
};

// One mailing's worth of collaborators around a channel, pointed at a server on loopback.
struct Rig
{
    explicit Rig(std::uint16_t port, std::string security = "none", bool bulk = false, bool dsn = false)
    {
        SessionOptions options;
        options.bulkMode = bulk;
        options.dsn = dsn;
        settings.smtpServer = "127.0.0.1";
        settings.smtpPort = port;
        settings.timeout = 5;
        settings.domain = "client.test";
        settings.security = std::move(security);
        settings.certificateAuthorityFile = TestCertificates::get().certificateAuthorityFile();
        channel = std::make_unique<SmtpSendChannel>(settings, options,
                                                    ChannelSinks{activity, session, lastError, progress, prompter});
    }

    // Both logs and the last-error record, for checks that must hold everywhere.
    std::vector<std::string> everyLine() const
    {
        auto all = activity.lines();
        all.insert(all.end(), session.lines().begin(), session.lines().end());
        all.insert(all.end(), lastError.lines().begin(), lastError.lines().end());
        return all;
    }

    bool sendOne(std::string_view sender, std::string_view recipient, std::string_view text)
    {
        if (!channel->startTransaction(sender) || channel->addRecipient(recipient).code >= 400) {
            return false;
        }
        return channel->transmit(ByteChain(std::string(text)), recipient) == TransmitOutcome::Sent;
    }

    settings::Settings settings;
    MemoryLogSink activity;
    MemoryLogSink session;
    MemoryLogSink lastError;
    RecordingProgress progress;
    ScriptedPrompter prompter;
    std::unique_ptr<SmtpSendChannel> channel;
};

std::unique_ptr<ServerProcess> startSmtpServer(const test::TempDir& spool, std::vector<std::string> options)
{
    std::vector<std::string> args = {kPython, test::serverScript("smtp_server.py").string(), "--spool",
                                     spool.path().string()};
    args.insert(args.end(), options.begin(), options.end());
    return ServerProcess::startReporting(args);
}

std::unique_ptr<ServerProcess> startScriptedServer(std::vector<std::string> options)
{
    std::vector<std::string> args = {kPython, test::serverScript("scripted_server.py").string()};
    args.insert(args.end(), options.begin(), options.end());
    return ServerProcess::startReporting(args);
}

std::string messageText()
{
    std::string text = "From: Ann <ann@sender.test>\r\nTo: bob@example.test\r\nSubject: dots\r\n\r\n";
    int line = 0;
    while (text.size() < 9000) {
        text += (line % 3 == 0 ? "." : "") + std::string("line ") + std::to_string(line) + " of the message text\r\n";
        ++line;
    }
    text += ".\r\n..\r\nend\r\n";
    return text;
}

// The session log says "Connecting to" where the activity list says "C> Connecting to".
std::vector<std::string> asSessionLines(std::vector<std::string> lines)
{
    for (auto& line : lines) {
        for (const char* prefix : {"C> Connecting to ", "C> Checking Mail on ", "C> There are "}) {
            if (line.rfind(prefix, 0) == 0) {
                line.erase(0, 3);
            }
        }
    }
    return lines;
}

void expectNoPassword(const Rig& rig)
{
    for (const auto& line : rig.everyLine()) {
        EXPECT_THAT(line, ::testing::Not(HasSubstr(kPassword)));
    }
    for (const auto& text : rig.prompter.texts()) {
        EXPECT_THAT(text, ::testing::Not(HasSubstr(kPassword)));
    }
}

} // namespace

TEST(SmtpSendChannel, PersonalMailingReconnectsAfterEachGroupLetAndSkipsTheRefused)
{
    test::TempDir spool;
    auto server = startSmtpServer(spool, {"--pipelining", "--reject", "user3@example.test=550 5.1.1 unknown user"});
    ASSERT_TRUE(server);
    Mailing mailing(server->port(), false, 2);
    ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(5)));
    ASSERT_TRUE(mailing.run());

    EXPECT_EQ(mailing.log(kSentLogFile), (std::vector<std::string>{"user1@example.test", "user2@example.test",
                                                                   "user4@example.test", "user5@example.test"}));
    EXPECT_EQ(mailing.log(kRecipientErrorsLogFile), (std::vector<std::string>{"user3@example.test"}));
    const auto session = mailing.log(kSessionLogFile);
    EXPECT_EQ(countOf(session, "Connecting to 127.0.0.1"), 3);
    EXPECT_EQ(countOf(mailing.monitor.lines, "C> Connecting to 127.0.0.1"), 3);
    EXPECT_EQ(countOf(session, "Message sent"), 4);
    EXPECT_EQ(countOf(session, "S> 550 5.1.1 unknown user"), 1);
    EXPECT_EQ(session.back(), "Send Completed");
    for (int n : {1, 2, 3, 4}) {
        EXPECT_THAT(readWholeFile(spool / (std::to_string(n) + ".eml")), HasSubstr("\r\n.Dear reader\r\n"));
    }
    EXPECT_THAT(readWholeFile(spool / "3.json"), HasSubstr("\"rcpt_tos\": [\"user4@example.test\"]"));
}

TEST(SmtpSendChannel, BulkMailingLeavesFlaggedRecipientsOutOfTheMessage)
{
    test::TempDir spool;
    auto server = startSmtpServer(spool, {"--reject", "user2@example.test=550 5.1.1 unknown user"});
    ASSERT_TRUE(server);
    Mailing mailing(server->port(), true, 25);
    ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(3)));
    ASSERT_TRUE(mailing.run());

    EXPECT_EQ(mailing.log(kSentLogFile), (std::vector<std::string>{"user1@example.test", "user3@example.test"}));
    EXPECT_EQ(mailing.log(kRecipientErrorsLogFile), (std::vector<std::string>{"user2@example.test"}));
    EXPECT_EQ(countOf(mailing.log(kSessionLogFile), "CS> Invalid Recipient Email Address"), 1);
    EXPECT_THAT(readWholeFile(spool / "1.json"),
                HasSubstr("\"rcpt_tos\": [\"user1@example.test\", \"user3@example.test\"]"));
}

TEST(SmtpSendChannel, DeliversOverPlainSmtpWithPipeliningAndDsnAndLogsEveryStep)
{
    test::TempDir spool;
    auto server = startSmtpServer(spool, {"--pipelining"});
    ASSERT_TRUE(server);
    Rig rig(server->port(), "none", false, true);
    ASSERT_TRUE(rig.channel->connect());
    EXPECT_TRUE(rig.channel->isDsnRequested());
    const std::string text = messageText();
    ASSERT_TRUE(rig.sendOne("ann@sender.test", "bob@example.test", text));
    rig.channel->disconnect(DisconnectReason::EndOfSession);

    const auto expected = std::vector<std::string>(
        {"C> Connecting to 127.0.0.1", "S> 250 smtp.test SIZE 33554432 8BITMIME PIPELINING DSN HELP",
         "Delivery Status Notification Enabled", "Initiating Mail Transaction", "Message From: <ann@sender.test>",
         "C> RCPT TO: <bob@example.test>", "S> 250 2.1.5 OK", "Sending Message", "Message sent", "Disconnecting",
         "Disconnected"});
    EXPECT_EQ(rig.activity.lines(), expected);
    EXPECT_EQ(rig.session.lines(), asSessionLines(expected));
    EXPECT_TRUE(rig.lastError.lines().empty());
    EXPECT_TRUE(rig.prompter.log().empty());
    EXPECT_EQ(rig.progress.labels.front(), "Connecting to Email Server..");
    EXPECT_EQ(rig.progress.labels.back(), "Disconnected from Server");

    // Written in pieces of 4096; the bar ends at its maximum.
    const auto size = static_cast<std::int64_t>(text.size());
    EXPECT_EQ(rig.progress.maximum, size + 1);
    EXPECT_THAT(rig.progress.values, ElementsAre(0, 4096, 8192, size, size + 1));

    EXPECT_EQ(readWholeFile(spool / "1.eml"), text);
    const auto envelope = readWholeFile(spool / "1.json");
    EXPECT_THAT(envelope, HasSubstr("\"mail_from\": \"ann@sender.test\""));
    EXPECT_THAT(envelope, HasSubstr("\"rcpt_tos\": [\"bob@example.test\"]"));
    EXPECT_THAT(envelope, HasSubstr("\"BODY=8BITMIME\""));
    EXPECT_THAT(envelope, HasSubstr("\"RET=HDRS\", \"ENVID="));
    EXPECT_THAT(envelope, HasSubstr("\"dsn_rcpt\": [\"NOTIFY=SUCCESS,FAILURE,DELAY\"]"));
}

TEST(SmtpSendChannel, StartTlsWithTheCaFileThenTheStrongestOfferedAuthentication)
{
    ASSERT_TRUE(TestCertificates::get().isValid());
    const auto& certs = TestCertificates::get();
    struct Case
    {
        std::string offered;
        std::string used;
    };
    for (const Case& c :
         {Case{"PLAIN,LOGIN,CRAM-MD5", "CRAM-MD5"}, Case{"LOGIN,PLAIN", "PLAIN"}, Case{"LOGIN", "LOGIN"}}) {
        SCOPED_TRACE(c.offered);
        test::TempDir spool;
        auto server =
            startSmtpServer(spool, {"--cert", certs.serverCert(), "--key", certs.serverKey(), "--require-starttls",
                                    "--auth", std::string("ann:") + kPassword, "--mechanisms", c.offered});
        ASSERT_TRUE(server);
        Rig rig(server->port(), "auto");
        rig.settings.smtpAuthentication = true;
        rig.settings.smtpUsername = "ann";
        rig.settings.smtpPassword = kPassword;
        ASSERT_TRUE(rig.channel->connect()) << rig.activity.lines().back();
        EXPECT_EQ(rig.activity.lines().at(1), "S> 235 2.7.0 Authentication successful");
        EXPECT_TRUE(rig.channel->smtpClient().isEncrypted());
        ASSERT_TRUE(rig.sendOne("ann@sender.test", "bob@example.test", "Subject: hi\r\n\r\nsecure\r\n"));
        rig.channel->disconnect(DisconnectReason::Normal);
        const auto envelope = readWholeFile(spool / "1.json");
        EXPECT_THAT(envelope, HasSubstr("\"tls\": true"));
        EXPECT_THAT(envelope, HasSubstr("\"mechanism\": \"" + c.used + "\""));
        expectNoPassword(rig);
    }
}

TEST(SmtpSendChannel, RefusedConnectionsExplainThemselvesAndNeverLeakThePassword)
{
    ASSERT_TRUE(TestCertificates::get().isValid());
    const auto& certs = TestCertificates::get();
    test::TempDir spool;
    auto secured = startSmtpServer(
        spool, {"--cert", certs.serverCert(), "--key", certs.serverKey(), "--auth", std::string("ann:") + kPassword});
    auto plain = startSmtpServer(spool, {});
    ASSERT_TRUE(secured && plain);

    struct Case
    {
        std::uint16_t port;
        std::string security;
        std::string password;
        std::string certificateAuthorityFile;
        std::string error;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {secured->port(), "auto", "wrong", certs.certificateAuthorityFile(),
         "27108 - Authentication failed: 535 5.7.8 Authentication credentials invalid",
         "S> 535 5.7.8 Authentication credentials invalid"},
        {secured->port(), "starttls", kPassword, "",
         "27107 - The certificate of 127.0.0.1:" + std::to_string(secured->port()) +
             " could not be verified: unable to get local issuer certificate",
         "S> 220 Ready to start TLS"},
        {plain->port(), "starttls", kPassword, certs.certificateAuthorityFile(),
         "27118 - The server does not offer STARTTLS, which the security setting requires",
         "S> 530 The server does not offer STARTTLS, which the security setting requires"},
        {plain->port(), "auto", kPassword, certs.certificateAuthorityFile(),
         "27118 - The connection is not encrypted, so the password was not sent (set Security to none to allow this)",
         "S> 530 The connection is not encrypted, so the password was not sent (set Security to none to allow this)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Rig rig(c.port, c.security);
        rig.settings.certificateAuthorityFile = c.certificateAuthorityFile;
        rig.settings.smtpAuthentication = true;
        rig.settings.smtpUsername = "ann";
        rig.settings.smtpPassword = c.password;
        EXPECT_FALSE(rig.channel->connect());
        ASSERT_GE(rig.activity.lines().size(), 3u);
        EXPECT_EQ(rig.activity.lines()[1], "CS> " + c.error);
        EXPECT_EQ(rig.activity.lines()[2], c.reply);
        ASSERT_EQ(rig.prompter.log().size(), 1u);
        EXPECT_EQ(rig.prompter.log()[0].icon, Icon::Critical);
        EXPECT_THAT(rig.prompter.log()[0].text, HasSubstr("Unable to establish a valid connection with 127.0.0.1"));
        expectNoPassword(rig);
    }
}

TEST(SmtpSendChannel, DsnNotOfferedAndRefusedRecipientsInBothModes)
{
    test::TempDir spool;
    auto server = startSmtpServer(spool, {"--no-dsn", "--reject",
                                          "gone@example.test=550 5.1.1 <gone@example.test>: "
                                          "Recipient address rejected",
                                          "--reject", "later@example.test=451 4.3.0 try again later"});
    ASSERT_TRUE(server);

    // Personal mode: each refusal is the server's reply, and the next transaction still works.
    {
        Rig rig(server->port(), "none", false, true);
        ASSERT_TRUE(rig.channel->connect());
        EXPECT_FALSE(rig.channel->isDsnRequested());
        EXPECT_EQ(rig.activity.lines().at(2), "Delivery Status Notification is Not supported by your Mail Server");
        EXPECT_EQ(rig.session.lines().at(2), "Delivery Status Notification is Not supported by your Mail Server");
        ASSERT_TRUE(rig.channel->startTransaction("ann@sender.test"));
        EXPECT_EQ(rig.channel->addRecipient("gone@example.test").code, 550);
        ASSERT_TRUE(rig.channel->startTransaction("ann@sender.test"));
        EXPECT_EQ(rig.channel->addRecipient("later@example.test").code, 451);
        ASSERT_TRUE(rig.sendOne("ann@sender.test", "bob@example.test", "Subject: a\r\n\r\nbody\r\n"));
        rig.channel->disconnect(DisconnectReason::Normal);
        EXPECT_THAT(rig.activity.lines(), ::testing::IsSupersetOf(std::vector<std::string>{
                                              "C> RCPT TO: <gone@example.test>",
                                              "S> 550 5.1.1 <gone@example.test>: Recipient address rejected",
                                              "C> RCPT TO: <later@example.test>", "S> 451 4.3.0 try again later"}));
        EXPECT_THAT(rig.activity.lines(), ::testing::Not(::testing::Contains(HasSubstr("CS>"))));
        EXPECT_THAT(readWholeFile(spool / "1.json"), HasSubstr("\"rcpt_tos\": [\"bob@example.test\"]"));
    }
    // Bulk mode: the refused recipients are flagged and left out of the one message; one refused
    // for now is not flagged, so the session can try it again.
    {
        Rig rig(server->port(), "none", true);
        ASSERT_TRUE(rig.channel->connect());
        rig.activity.clear();
        ASSERT_TRUE(rig.channel->startTransaction("ann@sender.test"));
        std::vector<bool> flagged;
        for (const char* address : {"bob@example.test", "gone@example.test", "later@example.test", "cy@example.test"}) {
            flagged.push_back(rig.channel->addRecipient(address).invalid);
        }
        EXPECT_EQ(flagged, (std::vector<bool>{false, true, false, false}));
        EXPECT_EQ(rig.channel->transmit(ByteChain("Subject: bulk\r\n\r\nbody\r\n"), "cy@example.test"),
                  TransmitOutcome::Sent);
        rig.channel->disconnect(DisconnectReason::Normal);
        const auto expected = std::vector<std::string>(
            {"Initiating Mail Transaction", "Message From: <ann@sender.test>", "C> RCPT TO: <bob@example.test>",
             "S> 250 2.1.5 OK", "C> RCPT TO: <gone@example.test>", "CS> Invalid Recipient Email Address",
             "C> RCPT TO: <later@example.test>", "S> 451 4.3.0 try again later", "C> RCPT TO: <cy@example.test>",
             "S> 250 2.1.5 OK", "Sending Message", "Message sent", "Disconnecting", "Disconnected"});
        EXPECT_EQ(rig.activity.lines(), expected);
        EXPECT_THAT(readWholeFile(spool / "2.json"),
                    HasSubstr("\"rcpt_tos\": [\"bob@example.test\", \"cy@example.test\"]"));
    }
}

TEST(SmtpSendChannel, UnusualHelloReplyStillMakesAUsableSession)
{
    test::TempDir spool;
    auto server = startSmtpServer(spool, {"--ehlo-code", "252"});
    ASSERT_TRUE(server);
    Rig rig(server->port());
    ASSERT_TRUE(rig.channel->connect());
    EXPECT_EQ(rig.activity.lines().at(1), "S> 252 smtp.test SIZE 33554432 8BITMIME DSN HELP");
    EXPECT_TRUE(rig.prompter.log().empty());
    ASSERT_TRUE(rig.sendOne("ann@sender.test", "bob@example.test", "Subject: a\r\n\r\nbody\r\n"));
    rig.channel->disconnect(DisconnectReason::Normal);
}

TEST(SmtpSendChannel, SilentServerGivesNoResultCodeAndTheInternetHint)
{
    auto server = startScriptedServer({"silent"});
    ASSERT_TRUE(server);
    Rig rig(server->port());
    rig.settings.timeout = 1;
    EXPECT_FALSE(rig.channel->connect());
    const std::string hint = "**** Please make sure that you have an active Internet Connection before trying again.";
    EXPECT_EQ(rig.activity.lines(),
              (std::vector<std::string>{"C> Connecting to 127.0.0.1", "CS> 27111 - The server did not answer in time",
                                        "CS> No result code returned from server", hint}));
    EXPECT_EQ(rig.session.lines(),
              (std::vector<std::string>{"Connecting to 127.0.0.1", "CS> 27111 - The server did not answer in time",
                                        "CS> No result code returned from server", "", hint, ""}));
    ASSERT_EQ(rig.prompter.log().size(), 1u);
    EXPECT_THAT(rig.prompter.log()[0].text, HasSubstr("did not answer within 1 second."));

    // Stop while connecting ends the wait at once and asks nothing.
    Rig stopped(server->port());
    stopped.settings.timeout = 60;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopped.channel->requestStop();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(stopped.channel->connect());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    stopper.join();
    EXPECT_TRUE(stopped.prompter.log().empty());
    EXPECT_THAT(stopped.activity.lines(), ::testing::Not(::testing::Contains(HasSubstr("27110"))));
}

// A port on loopback that nothing listens on.
std::uint16_t closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    sockaddr* generic = reinterpret_cast<sockaddr*>(&address);
    EXPECT_EQ(::bind(fd, generic, length), 0);
    EXPECT_EQ(::getsockname(fd, generic, &length), 0);
    ::close(fd);
    return ntohs(address.sin_port);
}

TEST(SmtpSendChannel, AFailedConnectionSaysWhichServerAndPortAndWhy)
{
    ASSERT_TRUE(TestCertificates::get().isValid());
    const auto& certs = TestCertificates::get();
    auto silent = startScriptedServer({"silent"});
    auto rogue = startScriptedServer({"tls", "--cert", certs.rogueCert(), "--key", certs.rogueKey()});
    ASSERT_TRUE(silent && rogue);
    const auto refused = closedPort();
    struct Case
    {
        std::string host;
        std::uint16_t port;
        std::string security;
        std::string why; // the line in place of the server's reply
    };
    const Case cases[] = {
        {"127.0.0.1", refused, "none", "127.0.0.1:" + std::to_string(refused) + " refused the connection."},
        {"127.0.0.1", silent->port(), "none",
         "127.0.0.1:" + std::to_string(silent->port()) + " did not answer within 1 second."},
        {"tidecast-test.invalid", 2525, "none", "The server name tidecast-test.invalid (port 2525) was not found."},
        {"127.0.0.1", rogue->port(), "tls",
         "The certificate of 127.0.0.1:" + std::to_string(rogue->port()) +
             " could not be verified: self-signed certificate."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Rig rig(c.port, c.security);
        rig.settings.smtpServer = c.host;
        rig.settings.timeout = 1;
        EXPECT_FALSE(rig.channel->connect());
        ASSERT_EQ(rig.prompter.log().size(), 1u);
        EXPECT_EQ(rig.prompter.log()[0].text, "Unable to establish a valid connection with " + c.host + "\r\n\r\n" +
                                                  c.why +
                                                  "\r\nTidecast Expected a 250 SMTP Reply Code\r\n\r\n"
                                                  "Please verify that you are using the correct Mail Server then\r\n"
                                                  "make sure that you are online before you try again.");
        EXPECT_EQ(rig.prompter.log()[0].icon, Icon::Critical);
    }
}

TEST(SmtpSendChannel, ConnectionDroppedDuringTheMessageAsksForReconnection)
{
    auto server = startScriptedServer({"drop-data"});
    ASSERT_TRUE(server);
    Rig rig(server->port());
    ASSERT_TRUE(rig.channel->connect());
    ASSERT_TRUE(rig.channel->startTransaction("ann@sender.test"));
    ASSERT_EQ(rig.channel->addRecipient("bob@example.test").code, 250);
    EXPECT_EQ(rig.channel->transmit(ByteChain("Subject: a\r\n\r\nbody\r\n"), "bob@example.test"),
              TransmitOutcome::Interrupted);
    EXPECT_EQ(rig.activity.lines().back(),
              "ERR: Your connection to the Mail Server has been interrupted - attempting to reconnect....");
    EXPECT_EQ(rig.lastError.lines(),
              (std::vector<std::string>{"Your connection to the Mail Server has been interrupted ...attepting to "
                                        "reconnect."}));
    EXPECT_FALSE(rig.channel->smtpClient().isSessionEstablished());
    EXPECT_TRUE(rig.channel->reconnect());
    EXPECT_EQ(rig.progress.labels.back(), "Connecting to Email Server..");
}

TEST(SmtpSendChannel, ImplicitTlsTrustsOnlyTheGivenCaAndStartTlsIgnoresInjectedReplies)
{
    ASSERT_TRUE(TestCertificates::get().isValid());
    const auto& certs = TestCertificates::get();
    auto good = startScriptedServer({"tls", "--cert", certs.serverCert(), "--key", certs.serverKey()});
    auto rogue = startScriptedServer({"tls", "--cert", certs.rogueCert(), "--key", certs.rogueKey()});
    auto inject = startScriptedServer({"inject", "--cert", certs.serverCert(), "--key", certs.serverKey()});
    ASSERT_TRUE(good && rogue && inject);

    // By name: looked up, and the name checked against the certificate.
    Rig trusted(good->port(), "tls");
    trusted.settings.smtpServer = "localhost";
    ASSERT_TRUE(trusted.channel->connect()) << trusted.activity.lines().at(1);
    EXPECT_TRUE(trusted.channel->smtpClient().isEncrypted());
    ASSERT_TRUE(trusted.sendOne("ann@sender.test", "bob@example.test", "Subject: a\r\n\r\nbody\r\n"));
    trusted.channel->disconnect(DisconnectReason::Normal);

    Rig wrong(rogue->port(), "tls");
    EXPECT_FALSE(wrong.channel->connect());
    EXPECT_EQ(wrong.activity.lines().at(1),
              "CS> 27107 - The certificate of 127.0.0.1:" + std::to_string(rogue->port()) +
                  " could not be verified: self-signed certificate");

    Rig injected(inject->port(), "starttls");
    ASSERT_TRUE(injected.channel->connect());
    EXPECT_EQ(injected.activity.lines().at(1), "S> 250 scripted.test 8BITMIME");
    EXPECT_TRUE(injected.channel->smtpClient().capabilities().authMechanisms.empty());
    injected.channel->disconnect(DisconnectReason::Normal);
}

TEST(SmtpSendChannel, ServerThatRequiresStartTlsEndsTheMailingAtOnce)
{
    ASSERT_TRUE(tidecast::test::TestCertificates::get().isValid());
    const auto& certs = tidecast::test::TestCertificates::get();
    for (const bool bulk : {false, true}) {
        for (const bool pipelining : {false, true}) {
            SCOPED_TRACE(std::string(bulk ? "bulk" : "personal") + (pipelining ? ", pipelining" : ""));
            test::TempDir spool;
            std::vector<std::string> options = {"--cert", certs.serverCert(), "--key", certs.serverKey(),
                                                "--require-starttls"};
            if (pipelining) {
                options.emplace_back("--pipelining");
            }
            auto server = startSmtpServer(spool, options);
            ASSERT_TRUE(server);
            Mailing mailing(server->port(), bulk, 25);
            mailing.settings.security = "none";
            mailing.options.optionsConfirmed = false;
            ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(20)));

            EXPECT_FALSE(mailing.run());

            EXPECT_TRUE(mailing.log(kSentLogFile).empty());
            EXPECT_LE(mailing.log(kRecipientErrorsLogFile).size(), 1u);
            ASSERT_EQ(mailing.prompter.log().size(), 1u);
            EXPECT_THAT(mailing.prompter.log()[0].text, HasSubstr("(530 Must issue a STARTTLS command first)"));
            EXPECT_THAT(mailing.prompter.log()[0].text, HasSubstr("Turn on STARTTLS in the Server Setup"));
            EXPECT_EQ(mailing.log(kSessionLogFile).back(), "Send Stopped by Error");
        }
    }
}

TEST(SmtpSendChannel, BulkMessageBeyondTheServersRecipientLimitGoesOutInSeveralTransactions)
{
    test::TempDir spool;
    auto server =
        startSmtpServer(spool, {"--max-recipients", "3", "--reject", "user5@example.test=550 5.1.1 unknown user"});
    ASSERT_TRUE(server);
    Mailing mailing(server->port(), true, 10);
    const auto addresses = test::numberedAddresses(9);
    ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", addresses));

    ASSERT_TRUE(mailing.run());

    auto sent = addresses;
    sent.erase(sent.begin() + 4);
    EXPECT_EQ(mailing.log(kSentLogFile), sent);
    EXPECT_EQ(mailing.log(kRecipientErrorsLogFile), (std::vector<std::string>{"user5@example.test"}));
    const auto session = mailing.log(kSessionLogFile);
    // All recipients are offered in one go: the five beyond the limit, then the two beyond it in
    // the second message, are refused for now and offered again in the next transaction.
    EXPECT_EQ(countOf(session, "S> 452 4.5.3 Too many recipients"), 7);
    EXPECT_EQ(countOf(session, "CS> Invalid Recipient Email Address"), 1);
    EXPECT_EQ(countOf(session, "Message sent"), 3);
    EXPECT_THAT(readWholeFile(spool / "1.json"),
                HasSubstr("\"rcpt_tos\": [\"user1@example.test\", \"user2@example.test\", \"user3@example.test\"]"));
    EXPECT_THAT(readWholeFile(spool / "2.json"),
                HasSubstr("\"rcpt_tos\": [\"user4@example.test\", \"user6@example.test\", \"user7@example.test\"]"));
    EXPECT_THAT(readWholeFile(spool / "3.json"),
                HasSubstr("\"rcpt_tos\": [\"user8@example.test\", \"user9@example.test\"]"));
}

TEST(SmtpSendChannel, MessageOverTheServersSizeLimitEndsTheMailingBeforeTheUpload)
{
    // The letters are about 60 bytes: the first limit takes them, the second does not.
    for (const int limit : {1000, 40}) {
        SCOPED_TRACE(limit);
        test::TempDir spool;
        auto server = startSmtpServer(spool, {"--size-limit", std::to_string(limit)});
        ASSERT_TRUE(server);
        Mailing mailing(server->port(), false, 25);
        ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(3)));

        const bool completed = mailing.run();

        if (limit == 1000) {
            EXPECT_TRUE(completed);
            EXPECT_EQ(mailing.log(kSentLogFile).size(), 3u);
            // From the second message on, MAIL FROM announces the size.
            EXPECT_THAT(readWholeFile(spool / "1.json"), ::testing::Not(HasSubstr("SIZE=")));
            EXPECT_THAT(readWholeFile(spool / "2.json"), HasSubstr("\"SIZE="));
        } else {
            EXPECT_FALSE(completed);
            EXPECT_FALSE(std::filesystem::exists(spool / "1.eml"));
            EXPECT_TRUE(mailing.log(kSentLogFile).empty());
            ASSERT_EQ(mailing.prompter.log().size(), 1u);
            EXPECT_THAT(mailing.prompter.log()[0].text,
                        HasSubstr("is larger than the mail server 127.0.0.1 accepts (40 bytes)"));
        }
    }
}

namespace
{

// The client's turns through the delaying proxy: one line per turn, "<connection> <first bytes>".
std::vector<std::string> turnsOf(const std::filesystem::path& log)
{
    std::vector<std::string> turns;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        turns.push_back(line.substr(line.find(' ') + 1));
    }
    return turns;
}

// What a mailing leaves for people to read, without the server's offer, which differs by design.
std::vector<std::string> readableLines(const Mailing& mailing)
{
    std::vector<std::string> lines;
    const auto add = [&lines](const std::vector<std::string>& more) {
        std::copy_if(more.begin(), more.end(), std::back_inserter(lines),
                     [](const std::string& line) { return line.rfind("S> 250 smtp.test", 0) != 0; });
        lines.emplace_back("--");
    };
    add(mailing.log(kSessionLogFile));
    add(mailing.log(kSentLogFile));
    add(mailing.log(kRecipientErrorsLogFile));
    add(mailing.monitor.lines);
    add(mailing.prompter.texts());
    return lines;
}

} // namespace

TEST(SmtpSendChannel, PipeliningAndChunkingCutTheWaitsForAnswersPerMessage)
{
    const struct
    {
        const char* name;
        std::vector<std::string> offer;
        int turnsPerMessage; // MAIL, RCPT, DATA and the text each wait for an answer without
    } cases[] = {
        {"one command at a time", {}, 4},
        {"chunking without pipelining", {"--chunking"}, 4},
        {"pipelining", {"--pipelining"}, 2},
        {"pipelining and chunking", {"--pipelining", "--chunking"}, 1},
    };
    constexpr int kMessages = 4;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir spool;
        auto server = startSmtpServer(spool, c.offer);
        ASSERT_TRUE(server);
        const auto turnLog = spool / "turns.log";
        auto proxy =
            ServerProcess::startReporting({kPython, test::serverScript("delay_proxy.py").string(), "--target",
                                           std::to_string(server->port()), "--delay", "5", "--log", turnLog.string()});
        ASSERT_TRUE(proxy);
        Mailing mailing(proxy->port(), false, 25);
        ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(kMessages)));
        ASSERT_TRUE(mailing.run());

        EXPECT_EQ(mailing.log(kSentLogFile).size(), static_cast<std::size_t>(kMessages));
        const auto turns = turnsOf(turnLog);
        const auto isMail = [](const std::string& turn) { return turn.rfind("MAIL FROM:", 0) == 0; };
        const auto firstMail = std::find_if(turns.begin(), turns.end(), isMail);
        ASSERT_FALSE(turns.empty());
        EXPECT_EQ(turns.back(), "QUIT\\x0d\\x0a");
        EXPECT_EQ(std::count_if(turns.begin(), turns.end(), isMail), kMessages);
        EXPECT_EQ(std::distance(firstMail, turns.end() - 1), kMessages * c.turnsPerMessage);
        for (int n = 1; n <= kMessages; ++n) {
            const auto address = "user" + std::to_string(n) + "@example.test";
            EXPECT_EQ(readWholeFile(spool / (std::to_string(n) + ".eml")),
                      "To: " + address + "\r\nSubject: hello\r\n\r\n.Dear reader\r\n");
        }
    }
}

TEST(SmtpSendChannel, RefusalsInsideAPipelinedGroupReadAsWhenEachCommandWaited)
{
    const std::string refusal = "554 5.7.1 not wanted here";
    const struct
    {
        const char* name;
        // Every run must leave the same logs as the first, which sends one command at a time.
        std::vector<std::vector<std::string>> runs;
        std::size_t sent;
        std::size_t errors;
    } cases[] = {
        {"refused recipient",
         {{"--reject", "user2@example.test=550 5.1.1 unknown user"},
          {"--reject", "user2@example.test=550 5.1.1 unknown user", "--pipelining"},
          {"--reject", "user2@example.test=550 5.1.1 unknown user", "--pipelining", "--chunking"}},
         2,
         1},
        // BDAT carries the whole message: its refusal is the message's refusal after the end.
        {"refused message",
         {{"--refuse-message", refusal},
          {"--refuse-message", refusal, "--pipelining"},
          {"--refuse-message", refusal, "--pipelining", "--chunking"},
          {"--refuse-data", refusal, "--pipelining", "--chunking"}},
         0,
         3},
        {"refused DATA", {{"--refuse-data", refusal}, {"--refuse-data", refusal, "--pipelining"}}, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> reference;
        for (const auto& offer : c.runs) {
            SCOPED_TRACE(offer.back());
            test::TempDir spool;
            auto server = startSmtpServer(spool, offer);
            ASSERT_TRUE(server);
            Mailing mailing(server->port(), false, 25);
            ASSERT_TRUE(test::makeGroup(mailing.data.path(), "Friends", test::numberedAddresses(3)));
            (void)mailing.run();
            EXPECT_EQ(mailing.log(kSentLogFile).size(), c.sent);
            EXPECT_EQ(mailing.log(kRecipientErrorsLogFile).size(), c.errors);
            const auto lines = readableLines(mailing);
            if (reference.empty()) {
                reference = lines;
            } else {
                EXPECT_EQ(lines, reference);
            }
        }
    }
}

TEST(SmtpSendChannel, AnnouncedMessageOfSharedPiecesArrivesWhole)
{
    // A large shared piece (an attached file) between small ones, with dots at line starts.
    std::string file;
    for (int line = 0; file.size() < 300000; ++line) {
        file += (line % 4 == 0 ? "." : "") + std::string("attached line ") + std::to_string(line) + "\r\n";
    }
    ByteChain message("Subject: shared\r\n\r\n.first\r\n");
    message.appendShared(std::make_shared<const std::string>(file));
    message.append(".last line without its end");
    const std::string sent = message.toString() + "\r\n";
    for (const auto& offer : {std::vector<std::string>{"--pipelining"}, {"--pipelining", "--chunking"}}) {
        SCOPED_TRACE(offer.back());
        test::TempDir spool;
        auto server = startSmtpServer(spool, offer);
        ASSERT_TRUE(server);
        Rig rig(server->port());
        ASSERT_TRUE(rig.channel->connect());
        rig.channel->announceMessage(message);
        ASSERT_TRUE(rig.channel->startTransaction("ann@sender.test"));
        ASSERT_EQ(rig.channel->addRecipient("bob@example.test").code, 250);
        ASSERT_EQ(rig.channel->transmit(message, "bob@example.test"), TransmitOutcome::Sent);
        rig.channel->disconnect(DisconnectReason::EndOfSession);
        EXPECT_EQ(readWholeFile(spool / "1.eml"), sent);
    }
}
