#include "net/PopLogin.h"

#include "net/SmtpErrors.h"

#include <gtest/gtest.h>

using namespace tidecast::net;
using Action = PopLogin::Action;

namespace
{

PopReply ok(std::string text = {}, std::vector<std::string> body = {})
{
    return PopReply{true, std::move(text), std::move(body)};
}

} // namespace

TEST(PopLogin, UpgradesWithStlsThenLogsInAndCounts)
{
    PopLogin login({Security::Auto, false, "ann", "pw"});
    auto step = login.onReply(ok("ready"));
    EXPECT_EQ(step.command, "CAPA\r\n");
    EXPECT_TRUE(step.multiLine);
    EXPECT_EQ(login.onReply(ok("", {"TOP", "STLS", "USER"})).command, "STLS\r\n");
    EXPECT_EQ(login.onReply(ok("begin TLS")).action, Action::StartTls);
    EXPECT_EQ(login.onTlsStarted().command, "USER ann\r\n");
    EXPECT_EQ(login.onReply(ok()).command, "PASS pw\r\n");
    EXPECT_EQ(login.onReply(ok("logged in")).command, "STAT\r\n");
    EXPECT_EQ(login.onReply(ok("3 1024")).action, Action::Done);
    EXPECT_EQ(login.messageCount(), 3);
}

TEST(PopLogin, KeepsThePasswordOffUnencryptedConnectionsUnlessSecurityIsNone)
{
    PopLogin automatic({Security::Auto, false, "ann", "pw"});
    (void)automatic.onReply(ok());
    EXPECT_EQ(automatic.onReply(PopReply{false, "unknown command", {}}).action, Action::Failed);
    EXPECT_EQ(automatic.errorNumber(), smtp_error::kEncryptionUnavailable);

    PopLogin required({Security::StartTls, false, "ann", "pw"});
    (void)required.onReply(ok());
    EXPECT_EQ(required.onReply(ok("", {"USER"})).action, Action::Failed);

    PopLogin none({Security::None, false, "ann", "pw"});
    EXPECT_EQ(none.onReply(ok()).command, "USER ann\r\n");
    EXPECT_EQ(none.onReply(ok()).command, "PASS pw\r\n");
    EXPECT_EQ(none.onReply(PopReply{false, "[AUTH] bad password", {}}).action, Action::Failed);
    EXPECT_EQ(none.errorNumber(), smtp_error::kAuthenticationFailed);
}

TEST(PopLogin, StatusLinesParse)
{
    PopReply reply;
    EXPECT_TRUE(parsePopStatus("+OK 2 320", reply));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.text, "2 320");
    EXPECT_TRUE(parsePopStatus("-ERR no", reply));
    EXPECT_FALSE(reply.ok);
    EXPECT_FALSE(parsePopStatus("* OK imap", reply));

    PopLogin login({Security::Tls, true, "a", "b"});
    (void)login.onReply(ok());
    (void)login.onReply(ok());
    (void)login.onReply(ok());
    EXPECT_EQ(login.onReply(ok("many")).action, Action::Failed);
    EXPECT_EQ(login.errorNumber(), smtp_error::kProtocol);
}
