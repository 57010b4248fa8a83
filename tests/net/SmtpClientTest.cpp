#include "net/SmtpClient.h"

#include "net/SmtpErrors.h"
#include "support/ScriptedSmtpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace tidecast::net;
using tidecast::test::ScriptedSmtpServer;

namespace
{

struct ClientFixture
{
    explicit ClientFixture(const ScriptedSmtpServer& server, int timeoutSeconds = 3)
    {
        client.setHost("127.0.0.1");
        client.setPort(server.port());
        client.setTimeout(timeoutSeconds);
        client.setHeloDomain("client.test");
        client.setSecurity(Security::Auto);
        client.setErrorHandler([this](const ClientError& error) { events.push_back(error); });
    }

    SmtpClient client;
    std::vector<ClientError> events;
};

std::string unstuff(const std::string& wire)
{
    std::string out;
    bool atLineStart = true;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (atLineStart && wire[i] == '.') {
            atLineStart = false;
            continue;
        }
        out += wire[i];
        atLineStart = wire[i] == '\n';
    }
    return out;
}

// A message of several 4096-byte pieces with dots at line starts, also right at piece borders.
std::string longMessage()
{
    std::string text = "Subject: test\r\n\r\n";
    while (text.size() < 4000) {
        text += ".line starting with a dot\r\n";
        text += "an ordinary line of text in the message body\r\n";
    }
    text.resize(4094);
    text += "\r\n.the second piece starts with a dot\r\n";
    while (text.size() < 13000) {
        text += "an ordinary line of text in the message body\r\n.\r\n";
    }
    return text;
}

} // namespace

TEST(SmtpClient, PipelinesMailWithRecipientAndDeliversTheMessageIntact)
{
    ScriptedSmtpServer server(
        {"S: 220 fake.test ESMTP", "C: EHLO client.test", "S: 250-fake.test", "S: 250-PIPELINING", "S: 250-8BITMIME",
         "S: 250-DSN", "S: 250 SIZE 1000000", "C: MAIL FROM:<a@example.test> BODY=8BITMIME RET=HDRS ENVID=ENV1",
         "C: RCPT TO:<b@example.test> NOTIFY=SUCCESS,FAILURE,DELAY", "S: 250 2.1.0 Ok", "S: 250 2.1.5 Ok", "C: DATA",
         "S: 354 End data with <CR><LF>.<CR><LF>", "DATA", "S: 250 2.0.0 queued as 1", "C: QUIT", "S: 221 bye"});
    ClientFixture f(server);
    f.client.setEnvelopeIdSource([] { return std::string("ENV1"); });
    ASSERT_TRUE(f.client.connect());
    EXPECT_EQ(f.client.replyCode(), 250);
    EXPECT_TRUE(f.client.capabilities().pipelining);
    ASSERT_TRUE(f.client.requestDsn());
    // Both commands must leave before any reply: the script answers only after reading the two.
    ASSERT_TRUE(f.client.startTransaction("a@example.test"));
    ASSERT_TRUE(f.client.addRecipient("b@example.test"));
    EXPECT_EQ(f.client.replyText(), "2.1.5 Ok");

    const std::string message = longMessage();
    std::string_view rest = message;
    int writes = 0;
    while (!rest.empty()) {
        const int n = f.client.writeData(rest, 4096);
        ASSERT_GT(n, 0);
        EXPECT_LE(n, 4096);
        rest.remove_prefix(static_cast<std::size_t>(n));
        ++writes;
    }
    EXPECT_EQ(writes, 4);
    EXPECT_EQ(f.client.failureIndicator(), 0);
    ASSERT_TRUE(f.client.endMessage());
    f.client.disconnect();
    EXPECT_FALSE(f.client.isSessionEstablished());

    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(unstuff(server.data()), message);
    EXPECT_NE(server.data(), message); // the dots were doubled on the wire
    EXPECT_TRUE(f.events.empty());
}

TEST(SmtpClient, OldServerGetsHeloAndOneCommandAtATimeWithRefusalsReported)
{
    ScriptedSmtpServer server({"S: 220 old.test", "C: EHLO client.test", "S: 502 5.5.1 unknown command",
                               "C: HELO client.test", "S: 250 old.test", "C: MAIL FROM:<a@x.test>", "S: 250 ok",
                               "C: RCPT TO:<nobody@x.test>", "S: 550 5.1.1 no such user", "C: DATA",
                               "S: 554 5.5.1 no valid recipients", "C: QUIT", "S: 221 bye"});
    ClientFixture f(server);
    f.client.setEnvelopeIdSource([] { return std::string("X"); });
    ASSERT_TRUE(f.client.connect());
    EXPECT_FALSE(f.client.requestDsn());
    EXPECT_EQ(f.client.lastError()->number, smtp_error::kDsnNotSupported);
    ASSERT_TRUE(f.client.startTransaction("a@x.test"));
    EXPECT_FALSE(f.client.addRecipient("nobody@x.test"));
    EXPECT_EQ(f.client.replyCode(), 550);
    EXPECT_EQ(f.client.replyText(), "5.1.1 no such user");
    EXPECT_EQ(f.client.writeData("text\r\n", 4096), -1);
    EXPECT_GT(f.client.failureIndicator(), 0);
    EXPECT_EQ(f.client.lastError()->number, smtp_error::kInvalidRecipient);
    f.client.disconnect();
    EXPECT_EQ(server.finish(), "");

    ASSERT_EQ(f.events.size(), 2u);
    EXPECT_EQ(f.events[0].number, smtp_error::kRecipientRejected);
    EXPECT_EQ(f.events[0].description, "550 5.1.1 no such user");
    EXPECT_EQ(f.events[1].number, smtp_error::kInvalidRecipient);
}

TEST(SmtpClient, AddressThatIsNoMailboxNeverReachesACommand)
{
    ScriptedSmtpServer server({"S: 220 old.test", "C: EHLO client.test", "S: 250 old.test", "C: MAIL FROM:<a@x.test>",
                               "S: 250 ok", "C: RCPT TO:<ok@x.test>", "S: 250 ok", "C: QUIT", "S: 221 bye"});
    ClientFixture f(server);
    ASSERT_TRUE(f.client.connect());
    EXPECT_FALSE(f.client.startTransaction("a@x.test> SIZE=1"));
    ASSERT_TRUE(f.client.startTransaction("a@x.test"));
    for (const char* address : {"x@y.org> NOTIFY=SUCCESS", "x y@y.org", "x@y.org\r\nDATA", ""}) {
        EXPECT_FALSE(f.client.addRecipient(address)) << address;
        EXPECT_EQ(f.client.lastError()->number, smtp_error::kRecipientRejected);
        EXPECT_EQ(f.client.replyCode(), 0);
    }
    EXPECT_TRUE(f.client.addRecipient("ok@x.test"));
    f.client.disconnect();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(f.events.size(), 5u);
    EXPECT_EQ(f.events[0].number, smtp_error::kSenderRejected);
    EXPECT_EQ(f.events[1].description, "Not a valid email address: x@y.org> NOTIFY=SUCCESS");
}

TEST(SmtpClient, SilentServerTimesOutAndCancelEndsTheWaitAtOnce)
{
    {
        ScriptedSmtpServer server({"SILENT"});
        ClientFixture f(server, 1);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(f.client.connect());
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(900));
        EXPECT_LT(waited, std::chrono::seconds(3));
        EXPECT_EQ(f.client.replyCode(), 0);
        ASSERT_EQ(f.events.size(), 1u);
        EXPECT_EQ(f.events[0].number, smtp_error::kTimeout);
    }
    {
        ScriptedSmtpServer server({"SILENT"});
        ClientFixture f(server, 60);
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            f.client.cancel();
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(f.client.connect());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        stopper.join();
        EXPECT_EQ(f.client.lastError()->number, smtp_error::kCancelled);
        EXPECT_FALSE(f.client.isSessionEstablished());
    }
}

TEST(SmtpClient, ConnectionDroppedInTheMessageIsReportedAsLost)
{
    ScriptedSmtpServer server({"S: 220 fake.test", "C: EHLO client.test", "S: 250 fake.test", "C: MAIL FROM:<a@x.test>",
                               "S: 250 ok", "C: RCPT TO:<b@x.test>", "S: 250 ok", "C: DATA", "S: 354 go", "CLOSE"});
    ClientFixture f(server);
    ASSERT_TRUE(f.client.connect());
    ASSERT_TRUE(f.client.startTransaction("a@x.test"));
    ASSERT_TRUE(f.client.addRecipient("b@x.test"));
    const std::string chunk(4096, 'x');
    bool failed = false;
    for (int i = 0; i < 200 && !failed; ++i) {
        failed = f.client.writeData(chunk, 4096) < 0;
    }
    if (!failed) {
        failed = !f.client.endMessage();
    }
    EXPECT_TRUE(failed);
    EXPECT_GT(f.client.failureIndicator(), 0);
    ASSERT_TRUE(f.client.lastError());
    const int number = f.client.lastError()->number;
    EXPECT_TRUE(number == smtp_error::kConnectionClosed || number == smtp_error::kConnectionLost) << number;
    EXPECT_FALSE(f.client.isSessionEstablished());
    EXPECT_EQ(server.finish(), "");
}

TEST(SmtpClient, WholeMessageLeavesWithItsRecipientAsBdatAndARefusalKeepsTheRecipientsReply)
{
    ScriptedSmtpServer server(
        {"S: 220 fake.test ESMTP", "C: EHLO client.test", "S: 250-fake.test", "S: 250-PIPELINING", "S: 250 CHUNKING",
         // Refused: the BDAT answer that follows is read and set aside.
         "C: MAIL FROM:<a@x.test>", "C: RCPT TO:<nobody@x.test>", "C: BDAT 20 LAST", "C: Subject: x", "C: ", "C: .end",
         "S: 250 ok", "S: 550 5.1.1 no such user", "S: 554 5.5.1 no valid recipients", "C: RSET", "S: 250 reset",
         // Accepted: no dots added, and a line end added where the text had none.
         "C: MAIL FROM:<a@x.test>", "C: RCPT TO:<b@x.test>", "C: BDAT 20 LAST", "C: Subject: x", "C: ", "C: .end",
         "S: 250 ok", "S: 250 ok", "S: 250 queued as 7", "C: QUIT", "S: 221 bye"});
    ClientFixture f(server);
    ASSERT_TRUE(f.client.connect());
    const tidecast::ByteChain message("Subject: x\r\n\r\n.end");

    ASSERT_TRUE(f.client.startTransaction("a@x.test"));
    EXPECT_FALSE(f.client.addRecipient("nobody@x.test", &message));
    EXPECT_EQ(f.client.replyCode(), 550);
    EXPECT_EQ(f.client.replyText(), "5.1.1 no such user");
    EXPECT_TRUE(f.client.abort());

    ASSERT_TRUE(f.client.startTransaction("a@x.test"));
    ASSERT_TRUE(f.client.addRecipient("b@x.test", &message));
    for (const auto piece : message.pieces()) {
        EXPECT_EQ(f.client.writeData(piece, 4096), static_cast<int>(piece.size()));
    }
    ASSERT_TRUE(f.client.endMessage());
    EXPECT_EQ(f.client.replyText(), "queued as 7");
    f.client.disconnect();
    EXPECT_EQ(server.finish(), "");

    ASSERT_EQ(f.events.size(), 1u);
    EXPECT_EQ(f.events[0].description, "550 5.1.1 no such user");
}
