#include "net/SmtpTransaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tidecast::net;
using Event = SmtpTransaction::Event;

namespace
{

SmtpReply ok()
{
    return SmtpReply{250, {"ok"}};
}

// What a server makes of stuffed text: a leading dot of each line is dropped.
std::string unstuff(const std::string& wire)
{
    std::string out;
    bool atLineStart = true;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (atLineStart && wire[i] == '.') {
            ++i;
            if (i == wire.size()) {
                break;
            }
        }
        out += wire[i];
        atLineStart = wire[i] == '\n';
    }
    return out;
}

} // namespace

TEST(SmtpTransaction, CommandsCarryTheOfferedParameters)
{
    SmtpTransaction plain(TransactionSettings{});
    EXPECT_EQ(plain.begin("a@example.test"), "MAIL FROM:<a@example.test>\r\n");
    EXPECT_EQ(plain.addRecipient("b@example.test"), "RCPT TO:<b@example.test>\r\n");

    SmtpTransaction full(TransactionSettings{false, true, true, 812, true, "ENV42"});
    EXPECT_EQ(full.begin("a@example.test"),
              "MAIL FROM:<a@example.test> BODY=8BITMIME SIZE=812 RET=HDRS ENVID=ENV42\r\n");
    EXPECT_EQ(full.addRecipient("b@example.test"), "RCPT TO:<b@example.test> NOTIFY=SUCCESS,FAILURE,DELAY\r\n");

    // SIZE is only announced when known; a line break in an address cannot start a new command.
    SmtpTransaction unknownSize(TransactionSettings{false, false, true, 0, false, {}});
    EXPECT_EQ(unknownSize.begin("a@x\r\nRSET"), "MAIL FROM:<a@x  RSET>\r\n");
}

TEST(SmtpTransaction, PipeliningSendsMailFromWithTheFirstRecipientAndMatchesRepliesInOrder)
{
    SmtpTransaction transaction(TransactionSettings{true, false, false, 0, false, {}});
    EXPECT_EQ(transaction.begin("a@x.test"), "");
    EXPECT_EQ(transaction.addRecipient("b@x.test"), "MAIL FROM:<a@x.test>\r\nRCPT TO:<b@x.test>\r\n");
    EXPECT_EQ(transaction.addRecipient("c@x.test"), "RCPT TO:<c@x.test>\r\n");
    EXPECT_EQ(transaction.outstandingReplies(), 3u);
    EXPECT_EQ(transaction.onReply(ok()), Event::SenderAccepted);
    EXPECT_EQ(transaction.onReply(SmtpReply{550, {"no such user"}}), Event::RecipientRejected);
    EXPECT_EQ(transaction.onReply(ok()), Event::RecipientAccepted);
    EXPECT_EQ(transaction.acceptedRecipients(), 1);
    EXPECT_EQ(transaction.dataCommand(), "DATA\r\n");
    EXPECT_EQ(transaction.onReply(SmtpReply{354, {"go"}}), Event::DataReady);
    EXPECT_EQ(transaction.endOfData(), ".\r\n");
    EXPECT_EQ(transaction.onReply(SmtpReply{552, {"too big"}}), Event::MessageRejected);
    EXPECT_EQ(transaction.onReply(ok()), Event::Unexpected);

    SmtpTransaction refused(TransactionSettings{true, false, false, 0, false, {}});
    (void)refused.begin("bad@x.test");
    (void)refused.addRecipient("b@x.test");
    EXPECT_EQ(refused.onReply(SmtpReply{553, {"sender refused"}}), Event::SenderRejected);
    EXPECT_EQ(refused.onReply(SmtpReply{503, {"need MAIL"}}), Event::RecipientRejected);
    EXPECT_TRUE(refused.isSenderRejected());
    (void)refused.dataCommand();
    EXPECT_EQ(refused.onReply(SmtpReply{554, {"no valid recipients"}}), Event::DataRefused);
}

TEST(SmtpTransaction, DotStuffingFollowsLineStartsAcrossChunks)
{
    struct Case
    {
        std::vector<std::string> chunks;
        std::string wire;
        std::string end;
    };
    const std::vector<Case> cases = {
        {{".first\r\nplain\r\n"}, "..first\r\nplain\r\n", ".\r\n"},
        {{"a\r\n", ".b\r\n", "."}, "a\r\n..b\r\n..", "\r\n.\r\n"},
        {{"a\r", "\n.", ".\r\n"}, "a\r\n...\r\n", ".\r\n"},
        {{"x.y\r\n. \r\nz"}, "x.y\r\n.. \r\nz", "\r\n.\r\n"},
        {{"bare\n.dot\n"}, "bare\n..dot\n", ".\r\n"},
    };
    for (const auto& c : cases) {
        SmtpTransaction transaction(TransactionSettings{});
        (void)transaction.dataCommand();
        std::string wire;
        std::string original;
        for (const auto& chunk : c.chunks) {
            wire += transaction.stuff(chunk);
            original += chunk;
        }
        EXPECT_EQ(wire, c.wire);
        EXPECT_EQ(unstuff(wire), original);
        EXPECT_EQ(transaction.endOfData(), c.end);
    }
}
