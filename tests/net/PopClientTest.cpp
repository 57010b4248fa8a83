#include "net/PopClient.h"

#include "common/Text.h"
#include "mailing/SmtpSendChannel.h"
#include "net/SmtpErrors.h"
#include "support/ScriptedPrompter.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace tidecast;
using namespace tidecast::net;
using test::ServerProcess;
using test::TestCertificates;
using ::testing::HasSubstr;

namespace
{

constexpr const char* kDovecot = "/usr/sbin/dovecot";
constexpr const char* kPassword = "Otter-Pass-5519";
constexpr int kWaitingMessages = 3;

// A private Dovecot serving POP3 (with STLS) on a loopback port, for one user whose maildir holds
// three messages. Dovecot must run as root; its folders are kept short because its socket paths are.
class DovecotServer
{
public:
    DovecotServer()
    {
        char pattern[] = "/tmp/tcpop-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        m_dir = pattern;
        namespace fs = std::filesystem;
        fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
        for (const char* sub : {"run", "state", "home", "Maildir/new", "Maildir/cur", "Maildir/tmp"}) {
            fs::create_directories(m_dir / sub);
        }
        for (int i = 1; i <= kWaitingMessages; ++i) {
            std::ofstream(m_dir / "Maildir/new" / ("100000000" + std::to_string(i) + ".M1P1.tidecast"))
                << "From: x@example.test\r\nSubject: waiting " << i << "\r\n\r\nbody\r\n";
        }
        std::ofstream(m_dir / "passwd") << "ann:{PLAIN}" << kPassword << "::::::\n";
        const auto port = test::freeLoopbackPort();
        const auto& certs = TestCertificates::get();
        const std::string dir = m_dir.string();
        std::ofstream(m_dir / "dovecot.conf") << "protocols = pop3\n"
                                                 "listen = 127.0.0.1\n"
                                                 "base_dir = "
                                              << dir << "/run\nstate_dir = " << dir << "/state\nlog_path = " << dir
                                              << "/dovecot.log\n"
                                                 "ssl = yes\nssl_cert = <"
                                              << certs.serverCert() << "\nssl_key = <" << certs.serverKey()
                                              << "\n"
                                                 "disable_plaintext_auth = no\n"
                                                 "auth_mechanisms = plain\n"
                                                 "auth_failure_delay = 0\n"
                                                 "first_valid_uid = 1\n"
                                                 "mail_location = maildir:"
                                              << dir
                                              << "/Maildir\n"
                                                 "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN "
                                              << dir
                                              << "/passwd\n}\n"
                                                 "userdb {\n  driver = static\n  args = uid=dovecot gid=dovecot home="
                                              << dir
                                              << "/home\n}\n"
                                                 "service pop3-login {\n  inet_listener pop3 {\n    port = "
                                              << port
                                              << "\n  }\n  inet_listener pop3s {\n    port = 0\n  }\n}\n"
                                                 "service anvil {\n  chroot =\n}\n";
        (void)test::runProgram({"/usr/bin/chown", "-R", "dovecot:dovecot", dir + "/Maildir", dir + "/home"});
        m_server = ServerProcess::startOnPort({kDovecot, "-F", "-c", dir + "/dovecot.conf"}, port);
    }

    ~DovecotServer()
    {
        m_server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    bool isRunning() const { return m_server != nullptr; }
    std::uint16_t port() const { return m_server->port(); }
    std::string log() const { return readWholeFile(m_dir / "dovecot.log"); }

    int messagesLeft() const
    {
        int count = 0;
        for (const char* sub : {"Maildir/new", "Maildir/cur"}) {
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir / sub)) {
                ++count;
            }
        }
        return count;
    }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<ServerProcess> m_server;
};

class RecordingSink final : public mailing::LogSink
{
public:
    void writeLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

} // namespace

TEST(PopClient, LogsInToDovecotWithOrWithoutStlsAndCountsWithoutTakingMessages)
{
    if (geteuid() != 0 || !std::filesystem::exists(kDovecot)) {
        GTEST_SKIP() << "Dovecot needs root and the dovecot-pop3d package";
    }
    ASSERT_TRUE(TestCertificates::get().isValid());
    DovecotServer dovecot;
    ASSERT_TRUE(dovecot.isRunning());

    struct Case
    {
        std::string security;
        std::string password;
        int count;
        bool encrypted;
    };
    // A failed log-in makes Dovecot slow down the next ones from the same address: it comes last.
    const auto loginCases = {Case{"auto", kPassword, kWaitingMessages, true},
                             Case{"none", kPassword, kWaitingMessages, false}, Case{"auto", "wrong", 0, true}};
    const auto login = [&](const Case& c) {
        SCOPED_TRACE(c.security + " " + c.password);
        PopClient pop;
        pop.setHost("127.0.0.1");
        pop.setPort(dovecot.port());
        pop.setTimeout(5);
        pop.setSecurity(parseSecurity(c.security));
        pop.setCaFile(TestCertificates::get().certificateAuthorityFile());
        pop.setUsername("ann");
        pop.setPassword(c.password);
        EXPECT_EQ(pop.login(), c.count > 0) << (pop.lastError() ? pop.lastError()->description : "") << dovecot.log();
        EXPECT_EQ(pop.messageCount(), c.count);
        if (c.count == 0) {
            ASSERT_TRUE(pop.lastError());
            EXPECT_EQ(pop.lastError()->number, smtp_error::kAuthenticationFailed);
        }
        pop.disconnect();
        EXPECT_EQ(pop.state(), PopClient::State::Idle);
    };
    login(*loginCases.begin());
    login(*(loginCases.begin() + 1));

    // The log-in before sending, as the connection step runs it: its errors change nothing.
    test::TempDir spool;
    auto smtp = ServerProcess::startReporting(
        {"/usr/bin/python3", test::serverScript("smtp_server.py").string(), "--spool", spool.path().string()});
    ASSERT_TRUE(smtp);
    for (const bool reachable : {true, false}) {
        settings::Settings settings;
        settings.smtpServer = "127.0.0.1";
        settings.smtpPort = smtp->port();
        settings.timeout = 5;
        settings.certificateAuthorityFile = TestCertificates::get().certificateAuthorityFile();
        settings.pop3Authentication = true;
        settings.pop3Server = "127.0.0.1";
        settings.pop3Port = reachable ? dovecot.port() : test::freeLoopbackPort();
        settings.pop3Username = "ann";
        settings.pop3Password = kPassword;
        RecordingSink activity;
        RecordingSink session;
        RecordingSink lastError;
        NullProgress progress;
        ScriptedPrompter prompter;
        mailing::SmtpSendChannel channel(settings, {}, {activity, session, lastError, progress, prompter});
        ASSERT_TRUE(channel.connect());
        const std::string count = reachable ? "3" : "0";
        EXPECT_EQ(std::vector<std::string>(activity.lines.begin(), activity.lines.begin() + 3),
                  (std::vector<std::string>{"C> Checking Mail on 127.0.0.1",
                                            "C> There are " + count + " message(s) on 127.0.0.1",
                                            "C> Connecting to 127.0.0.1"}));
        EXPECT_EQ(
            std::vector<std::string>(session.lines.begin(), session.lines.begin() + 3),
            (std::vector<std::string>{"Checking Mail on 127.0.0.1", "There are " + count + " message(s) on 127.0.0.1",
                                      "Connecting to 127.0.0.1"}));
        EXPECT_EQ(channel.popClient().state(), PopClient::State::Idle);
        EXPECT_FALSE(channel.popClient().lastError());
        channel.disconnect(mailing::DisconnectReason::Normal);
        for (const auto* lines : {&activity.lines, &session.lines, &lastError.lines}) {
            for (const auto& line : *lines) {
                EXPECT_THAT(line, ::testing::Not(HasSubstr(kPassword)));
            }
        }
    }
    login(*(loginCases.begin() + 2));
    EXPECT_EQ(dovecot.messagesLeft(), kWaitingMessages);
}
