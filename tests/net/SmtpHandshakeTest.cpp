#include "net/SmtpHandshake.h"

#include "net/SaslEncoding.h"
#include "net/SmtpErrors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tidecast::net;
using Action = SmtpHandshake::Action;

namespace
{

SmtpReply reply(int code, std::vector<std::string> lines)
{
    return SmtpReply{code, std::move(lines)};
}

HandshakeSettings withLogin(Security security, bool tls)
{
    HandshakeSettings settings;
    settings.heloDomain = "client.test";
    settings.security = security;
    settings.tlsActive = tls;
    settings.authenticate = true;
    settings.username = "ann";
    settings.password = "s3cret";
    return settings;
}

} // namespace

TEST(SmtpHandshake, FallsBackToHeloWhenEhloIsRefused)
{
    SmtpHandshake handshake({"client.test", Security::Auto, false, false, {}, {}});
    auto step = handshake.onReply(reply(220, {"old.test SMTP"}));
    EXPECT_EQ(step.command, "EHLO client.test\r\n");
    step = handshake.onReply(reply(502, {"command not implemented"}));
    EXPECT_EQ(step.command, "HELO client.test\r\n");
    step = handshake.onReply(reply(250, {"old.test"}));
    EXPECT_EQ(step.action, Action::Done);
    EXPECT_FALSE(handshake.capabilities().extended);
    EXPECT_FALSE(handshake.capabilities().pipelining);
    EXPECT_EQ(handshake.lastReply().code, 250);
}

TEST(SmtpHandshake, RefusedGreetingOrHeloFailsButAnyPositiveHelloIsAccepted)
{
    SmtpHandshake refused({"c", Security::None, false, false, {}, {}});
    EXPECT_EQ(refused.onReply(reply(554, {"go away"})).action, Action::Failed);
    EXPECT_EQ(refused.errorNumber(), smtp_error::kProtocol);
    EXPECT_EQ(refused.lastReply().code, 554);

    SmtpHandshake unusual({"c", Security::None, false, false, {}, {}});
    (void)unusual.onReply(reply(220, {"odd.test"}));
    EXPECT_EQ(unusual.onReply(reply(252, {"odd.test welcomes you"})).action, Action::Done);
    EXPECT_EQ(unusual.lastReply().code, 252);

    SmtpHandshake busy({"c", Security::None, false, false, {}, {}});
    (void)busy.onReply(reply(220, {"busy.test"}));
    EXPECT_EQ(busy.onReply(reply(421, {"too busy"})).action, Action::Failed);
}

TEST(SmtpHandshake, StartTlsForgetsTheCapabilitiesSeenInTheClear)
{
    SmtpHandshake handshake({"client.test", Security::Auto, false, false, {}, {}});
    (void)handshake.onReply(reply(220, {"mx.test"}));
    auto step = handshake.onReply(reply(250, {"mx.test", "PIPELINING", "DSN", "STARTTLS"}));
    EXPECT_EQ(step.command, "STARTTLS\r\n");
    EXPECT_EQ(handshake.onReply(reply(220, {"go ahead"})).action, Action::StartTls);
    step = handshake.onTlsStarted();
    EXPECT_EQ(step.command, "EHLO client.test\r\n");
    EXPECT_FALSE(handshake.capabilities().pipelining);
    EXPECT_EQ(handshake.onReply(reply(250, {"mx.test", "8BITMIME"})).action, Action::Done);
    EXPECT_TRUE(handshake.isEncrypted());
    EXPECT_TRUE(handshake.capabilities().eightBitMime);
    EXPECT_FALSE(handshake.capabilities().pipelining);
    EXPECT_FALSE(handshake.capabilities().dsn);
}

TEST(SmtpHandshake, NeverSendsThePasswordWithoutEncryptionUnlessSecurityIsNone)
{
    struct Case
    {
        Security security;
        std::vector<std::string> extensions;
        int error; // 0: proceeds to AUTH in the clear
    };
    const std::vector<Case> cases = {
        {Security::Auto, {"AUTH PLAIN"}, smtp_error::kEncryptionUnavailable},
        {Security::StartTls, {"AUTH PLAIN"}, smtp_error::kEncryptionUnavailable},
        {Security::None, {"AUTH PLAIN", "STARTTLS"}, 0},
    };
    for (const auto& c : cases) {
        SmtpHandshake handshake(withLogin(c.security, false));
        (void)handshake.onReply(reply(220, {"mx.test"}));
        std::vector<std::string> lines{"mx.test"};
        lines.insert(lines.end(), c.extensions.begin(), c.extensions.end());
        const auto step = handshake.onReply(reply(250, lines));
        if (c.error != 0) {
            EXPECT_EQ(step.action, Action::Failed);
            EXPECT_EQ(handshake.errorNumber(), c.error);
        } else {
            EXPECT_EQ(step.command, "AUTH PLAIN " + saslEncode(std::string("\0ann\0s3cret", 11)) + "\r\n");
        }
    }
}

TEST(SmtpHandshake, PicksTheStrongestMechanismAndSpeaksIt)
{
    // CRAM-MD5, with the exchange published in RFC 2195.
    {
        HandshakeSettings settings = withLogin(Security::Auto, true);
        settings.username = "tim";
        settings.password = "tanstaaftanstaaf";
        SmtpHandshake handshake(settings);
        (void)handshake.onReply(reply(220, {"mx.test"}));
        EXPECT_EQ(handshake.onReply(reply(250, {"mx.test", "AUTH LOGIN PLAIN CRAM-MD5"})).command, "AUTH CRAM-MD5\r\n");
        const auto answer =
            handshake.onReply(reply(334, {saslEncode("<1896.697170952@postoffice.reston.mci.net>")})).command;
        EXPECT_EQ(saslDecode(answer.substr(0, answer.size() - 2)), "tim b913a602c7eda7a495b4e6e7334d3890");
        EXPECT_EQ(handshake.onReply(reply(235, {"ok"})).action, Action::Done);
        EXPECT_EQ(handshake.lastReply().code, 235);
    }
    // LOGIN only: user name and password each answer their own challenge.
    {
        SmtpHandshake handshake(withLogin(Security::Auto, true));
        (void)handshake.onReply(reply(220, {"mx.test"}));
        EXPECT_EQ(handshake.onReply(reply(250, {"mx.test", "AUTH LOGIN"})).command, "AUTH LOGIN\r\n");
        EXPECT_EQ(handshake.onReply(reply(334, {"VXNlcm5hbWU6"})).command, saslEncode("ann") + "\r\n");
        EXPECT_EQ(handshake.onReply(reply(334, {"UGFzc3dvcmQ6"})).command, saslEncode("s3cret") + "\r\n");
        EXPECT_EQ(handshake.onReply(reply(535, {"5.7.8 bad credentials"})).action, Action::Failed);
        EXPECT_EQ(handshake.errorNumber(), smtp_error::kAuthenticationFailed);
        EXPECT_EQ(handshake.errorText().find("s3cret"), std::string::npos);
    }
    // Nothing we know.
    {
        SmtpHandshake handshake(withLogin(Security::Auto, true));
        (void)handshake.onReply(reply(220, {"mx.test"}));
        EXPECT_EQ(handshake.onReply(reply(250, {"mx.test", "AUTH GSSAPI"})).action, Action::Failed);
        EXPECT_EQ(handshake.errorNumber(), smtp_error::kAuthenticationFailed);
    }
}

TEST(SmtpHandshake, LineBreaksInTheDomainCannotInjectCommands)
{
    SmtpHandshake handshake({"evil\r\nRCPT TO:<x@y>", Security::None, false, false, {}, {}});
    EXPECT_EQ(handshake.onReply(reply(220, {"mx"})).command, "EHLO evil  RCPT TO:<x@y>\r\n");
}
