#include "net/SmtpCapabilities.h"
#include "net/SmtpReply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tidecast::net::SmtpCapabilities;
using tidecast::net::SmtpReply;
using tidecast::net::SmtpReplyParser;

TEST(SmtpReplyParser, JoinsContinuationLinesWhateverTheChunking)
{
    const std::string wire = "250-fake.test\r\n250-SIZE 1000\r\n250 PIPELINING\r\n";
    SmtpReplyParser parser;
    for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
        parser.feed(wire.substr(i, 1));
        ASSERT_FALSE(parser.next()) << "reply complete after " << i + 1 << " bytes";
    }
    parser.feed(wire.substr(wire.size() - 1));
    const auto reply = parser.next();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, 250);
    EXPECT_EQ(reply->lines, (std::vector<std::string>{"fake.test", "SIZE 1000", "PIPELINING"}));
    EXPECT_EQ(reply->text(), "fake.test SIZE 1000 PIPELINING");
    EXPECT_FALSE(parser.hasPendingBytes());
}

TEST(SmtpReplyParser, SplitsPipelinedRepliesAndKeepsTheIncompleteTail)
{
    SmtpReplyParser parser;
    parser.feed("250 2.1.0 Ok\n550 5.1.1 <x@y>: unknown\r\n354 go");
    auto first = parser.next();
    auto second = parser.next();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->code, 250);
    EXPECT_EQ(first->text(), "2.1.0 Ok");
    EXPECT_EQ(second->code, 550);
    EXPECT_TRUE(second->isPermanent());
    EXPECT_FALSE(parser.next());
    parser.feed(" ahead\r\n250\r\n");
    auto third = parser.next();
    auto fourth = parser.next();
    ASSERT_TRUE(third && fourth);
    EXPECT_EQ(third->text(), "go ahead");
    EXPECT_EQ(fourth->code, 250);
    EXPECT_EQ(fourth->text(), "");

    parser.reset();
    parser.feed("451 4.3.0 try later\r\n");
    auto transient = parser.next();
    ASSERT_TRUE(transient);
    EXPECT_TRUE(transient->isTransient());
    EXPECT_FALSE(transient->isPositive());
}

TEST(SmtpReplyParser, MalformedLinesMakeTheStreamUnreadable)
{
    for (const std::string wire : {"hello there\r\n", "25\r\n", "250x\r\n", "250-a\r\n251 b\r\n", "650 no\r\n"}) {
        SmtpReplyParser parser;
        parser.feed(wire);
        const auto reply = parser.next();
        ASSERT_TRUE(reply) << wire;
        EXPECT_EQ(reply->code, -1) << wire;
        parser.feed("250 ok\r\n");
        EXPECT_EQ(parser.next()->code, -1) << "recovered after " << wire;
    }
}

TEST(SmtpCapabilities, ReadsExtensionsFromEhloReply)
{
    const SmtpReply reply{250,
                          {"mail.test Hello", "size 10240000", "8BITMIME", "PIPELINING", "DSN", "starttls",
                           "AUTH=LOGIN", "AUTH PLAIN LOGIN cram-md5", "ENHANCEDSTATUSCODES"}};
    const auto caps = SmtpCapabilities::fromEhloReply(reply);
    EXPECT_TRUE(caps.extended);
    EXPECT_TRUE(caps.size);
    EXPECT_EQ(caps.maxSize, 10240000u);
    EXPECT_TRUE(caps.eightBitMime);
    EXPECT_TRUE(caps.pipelining);
    EXPECT_TRUE(caps.dsn);
    EXPECT_TRUE(caps.startTls);
    EXPECT_EQ(caps.authMechanisms, (std::vector<std::string>{"LOGIN", "PLAIN", "CRAM-MD5"}));

    // The greeting line is not an extension, even when it looks like one.
    const auto bare = SmtpCapabilities::fromEhloReply(SmtpReply{250, {"PIPELINING"}});
    EXPECT_FALSE(bare.pipelining);
    EXPECT_TRUE(bare.authMechanisms.empty());
}
