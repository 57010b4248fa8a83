#include "cli/CliApp.h"

#include "cli/CliPrompter.h"
#include "cli/CliRunner.h"
#include "common/DataFolderLock.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace tidecast::cli
{
namespace
{

test::CliRun run(std::vector<std::string> args, const std::string& input = {})
{
    return test::runArguments(std::move(args), input);
}

TEST(CliApp, SettingsCommandsReadAndWriteEjDat)
{
    tidecast::test::TempDir dir;
    const std::string data = dir.path().string();

    auto result = run({"--data-dir", data, "settings", "get", "Server Setup", "SMTP Port"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "25\n"); // the default when the key is absent

    EXPECT_EQ(run({"--data-dir", data, "settings", "set", "Server Setup", "Domain", std::string(200, 'd')}).status, 0);
    result = run({"--data-dir", data, "settings", "get", "server setup", "domain"});
    EXPECT_EQ(result.out, std::string(127, 'd') + "\n");

    // A password is given and read in its stored, scrambled form.
    run({"--data-dir", data, "settings", "set", "Server Setup", "SMTP Password", "bcd"});
    EXPECT_EQ(run({"--data-dir", data, "settings", "get", "Server Setup", "SMTP Password"}).out, "bcd\n");

    result = run({"--data-dir", data, "settings", "list"});
    EXPECT_NE(result.out.find("Server Setup\tSMTP Port\t25\n"), std::string::npos);
    EXPECT_NE(result.out.find("Client Setup\tLastOpenDir\t" + data + "/\n"), std::string::npos);
    EXPECT_NE(result.out.find("Server Setup\tSecurity\tauto\n"), std::string::npos);

    run({"--data-dir", data, "settings", "set", "Plugins", "Plugin1", "/usr/bin/true"});
    EXPECT_NE(run({"--data-dir", data, "settings", "list"}).out.find("Plugins\tPlugin1\t/usr/bin/true\n"),
              std::string::npos);
}

TEST(CliApp, SecondWriterIsRefusedAtOnceWithTheHoldersProcessId)
{
    tidecast::test::TempDir dir;
    const std::string data = dir.path().string();
    DataFolderLock desktop(dir.path(), "tidecast");
    ASSERT_TRUE(desktop.tryLock());
    const std::string refusal =
        "error: The data folder " + data + " is in use by tidecast (process " + std::to_string(::getpid()) + ")\n";

    for (const std::vector<std::string>& writer :
         {std::vector<std::string>{"groups", "add", "Walkers"},
          std::vector<std::string>{"settings", "set", "Server Setup", "Domain", "x"},
          std::vector<std::string>{"recipients", "add", "Walkers", "--email", "ann@example.test"},
          std::vector<std::string>{"import", "Walkers", "-", "--harvest"},
          std::vector<std::string>{"exclusion", "import", "-"},
          std::vector<std::string>{"send", "--message", data + "/none.tcx"}}) {
        auto args = writer;
        args.insert(args.begin(), {"--data-dir", data});
        const auto result = run(args, "ann@example.test");
        EXPECT_EQ(result.status, 2) << writer[0];
        EXPECT_EQ(result.err, refusal) << writer[0];
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "ej.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "groups.lst"));
    // Readers go on while a writer works.
    EXPECT_EQ(run({"--data-dir", data, "groups", "list"}).status, 0);
    EXPECT_EQ(run({"--data-dir", data, "settings", "get", "Server Setup", "SMTP Port"}).out, "25\n");
    EXPECT_EQ(run({"--data-dir", data, "harvest", "-"}, "ann@example.test").out, "ann@example.test\n");
    // Without a key the DNS record, and without the group the search, are refused for that
    // reason, not for the lock.
    for (const std::vector<std::string>& reader :
         {std::vector<std::string>{"dkim-record"},
          std::vector<std::string>{"search", "Walkers", "Email Address", "equals", "x"}}) {
        auto args = reader;
        args.insert(args.begin(), {"--data-dir", data});
        EXPECT_EQ(run(args).err.find("in use by"), std::string::npos) << reader[0];
    }

    desktop.unlock();
    EXPECT_EQ(run({"--data-dir", data, "groups", "add", "Walkers"}).status, 0);
}

TEST(CliApp, UsageErrorsAndVersion)
{
    EXPECT_EQ(run({"--version"}).out, std::string("tidecast-cli ") + TIDECAST_VERSION + "\n");
    EXPECT_EQ(run({}).status, 1);
    EXPECT_EQ(run({"no-such-command"}).status, 1);
    EXPECT_EQ(run({"settings", "get", "OnlySection"}).status, 1);
    const auto result = run({"--bogus-flag"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("error: ", 0), 0u);
}

TEST(DkimCommands, PrintsTheRecordOfTheConfiguredKey)
{
    tidecast::test::TempDir dir;
    const std::string data = dir.path().string();
    const std::string rsa = (dir / "rsa.pem").string();
    const std::string ed25519 = (dir / "ed25519.pem").string();
    ASSERT_EQ(
        std::system(
            ("openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out '" + rsa + "' 2>/dev/null").c_str()),
        0);
    ASSERT_EQ(std::system(("openssl genpkey -algorithm ED25519 -out '" + ed25519 + "' 2>/dev/null").c_str()), 0);

    auto result = run({"--data-dir", data, "dkim-record"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "error: DKIM signing needs all three Deliverability settings: DKIM Domain, DKIM Selector "
                          "and DKIM Key File.\nerror: Please fill in the missing ones, or clear all three to send "
                          "unsigned mail.\n");
    EXPECT_EQ(result.out, "");

    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"DKIM Domain", "sender.example"}, {"DKIM Selector", "mail"}, {"DKIM Key File", rsa}}) {
        ASSERT_EQ(run({"--data-dir", data, "settings", "set", "Deliverability", key, value}).status, 0);
    }
    // The public key as the openssl tool writes it: the DER SubjectPublicKeyInfo for RSA, the
    // bare 32 octets for Ed25519.
    result = run({"--data-dir", data, "dkim-record"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "v=DKIM1; k=rsa; p=" +
                  tidecast::test::commandOutput("openssl pkey -in '" + rsa + "' -pubout -outform DER | base64 -w0") +
                  "\n");

    ASSERT_EQ(run({"--data-dir", data, "settings", "set", "Deliverability", "DKIM Key File", ed25519}).status, 0);
    result = run({"--data-dir", data, "dkim-record"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "v=DKIM1; k=ed25519; p=" +
                              tidecast::test::commandOutput("openssl pkey -in '" + ed25519 +
                                                            "' -pubout -outform DER | tail -c 32 | base64 -w0") +
                              "\n");

    const std::string missing = (dir / "gone.pem").string();
    ASSERT_EQ(run({"--data-dir", data, "settings", "set", "Deliverability", "DKIM Key File", missing}).status, 0);
    result = run({"--data-dir", data, "dkim-record"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "error: The DKIM Key File \"" + missing +
                              "\" cannot be read as a PEM private key.\nerror: Choose a readable key file in the "
                              "Deliverability settings.\n");
}

TEST(CliPrompter, PrefixesEveryLineAndAnswersQuestionsByTheRules)
{
    std::istringstream none;
    std::ostringstream err;
    CliPrompter quiet(err, none, false, false);
    quiet.message("This group no longer exists.", Icon::Critical);
    quiet.message("Line one\r\n\r\nLine three", Icon::Information);
    quiet.message("Please select a group to modify first.", Icon::Exclamation);
    EXPECT_EQ(err.str(), "error: This group no longer exists.\n"
                         "info: Line one\ninfo: \ninfo: Line three\n"
                         "warning: Please select a group to modify first.\n");

    // Without a terminal: No, or Cancel where there is no No.
    EXPECT_EQ(quiet.ask("Sure?", Buttons::YesNo, Icon::Question, Answer::Yes), Answer::No);
    EXPECT_EQ(quiet.ask("Sure?", Buttons::YesNoCancel, Icon::Question, Answer::Yes), Answer::No);
    EXPECT_EQ(quiet.ask("Go on?", Buttons::OkCancel, Icon::Question, Answer::Ok), Answer::Cancel);

    CliPrompter yes(err, none, true, false);
    EXPECT_EQ(yes.ask("Sure?", Buttons::YesNoCancel, Icon::Question, Answer::No), Answer::Yes);
    EXPECT_EQ(yes.ask("Go on?", Buttons::OkCancel, Icon::Question, Answer::Cancel), Answer::Ok);

    // On a terminal the answer is read, asking again until it is one of the buttons.
    std::istringstream typed("maybe\nN\nc\n");
    std::ostringstream asked;
    CliPrompter terminal(asked, typed, false, true);
    EXPECT_EQ(terminal.ask("Delete?", Buttons::YesNo, Icon::Question, Answer::Yes), Answer::No);
    EXPECT_EQ(terminal.ask("Save?", Buttons::YesNoCancel, Icon::Question, Answer::Yes), Answer::Cancel);
    EXPECT_EQ(terminal.ask("Again?", Buttons::YesNo, Icon::Question, Answer::Yes), Answer::No); // input ended
}

} // namespace
} // namespace tidecast::cli
