#include "cli/CliRunner.h"
#include "messages/MessageDocument.h"
#include "support/FaultServer.h"
#include "support/SendTestSupport.h"
#include "support/ServerProcess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace tidecast::cli
{
namespace
{

using ::testing::ElementsAre;

// A data folder with the group "Friends" of `count` recipients, a message for it and a server
// configured at `port`.
class SendCommandTest : public test::CliTest
{
protected:
    void prepare(int count, int port)
    {
        addresses = tidecast::test::numberedAddresses(count);
        ASSERT_EQ(run({"groups", "add", "Friends"}).status, 0);
        ASSERT_TRUE(tidecast::test::makeGroup(dir.path(), "Friends", addresses));
        for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
                 // Never welcomed: "ej.dat" counts as it stands.
                 {"Server Setup", "SMTP Server", "127.0.0.1"},
                 {"Server Setup", "SMTP Port", std::to_string(port)},
                 {"Server Setup", "Security", "none"},
                 {"Server Setup", "Timeout", "2"},
                 {"Client Setup", "Email Address", "me@example.test"}}) {
            ASSERT_EQ(run({"settings", "set", section, key, value}).status, 0);
        }
        writeMessage("News", "Hello,\r\nthe news.");
    }

    void writeMessage(const std::string& subject, const std::string& body)
    {
        messages::MessageDocument document;
        document.group = "Friends";
        document.subject = subject;
        document.body = body;
        ASSERT_TRUE(writeWholeFile(message, messages::buildMessageDocument(document, messages::DocumentKind::Saved,
                                                                           std::chrono::system_clock::now()) +
                                                "\r\n"));
    }

    // Starts the fault-injecting server with these options and prepares the data folder for it.
    void serve(int count, const std::vector<std::string>& faults = {})
    {
        server.emplace(record, faults);
        ASSERT_GT(server->port(), 0) << "the fault-injecting SMTP server did not start";
        prepare(count, server->port());
    }

    // Starts a mailing in another process and waits until its sent log names `count` addresses.
    pid_t startMailing(const std::filesystem::path& output, std::size_t count)
    {
        const pid_t pid = test::spawnCli({"--data-dir", data, "send", "--message", message}, output);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (pid > 0 && splitLines(readWholeFile(sentLog)).size() < count &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return pid;
    }

    std::vector<std::string> accepted() const { return splitLines(readWholeFile(record)); }

    std::string data = dir.path().string();
    std::string message = (dir / "news.tcx").string();
    std::filesystem::path record = dir / "accepted.txt";
    std::filesystem::path sentLog = mailing::SendLogs::file(dir.path(), mailing::kSentLogFile);
    std::optional<tidecast::test::FaultServer> server;
    std::vector<std::string> addresses;
};

TEST_F(SendCommandTest, PrintsTheResultsAndExitsByResultCode)
{
    ASSERT_NO_FATAL_FAILURE(serve(10));

    auto result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find("Time Taken: ")),
              "Message Successfully Mailed\nGroup: Friends (10 recipients)\nSent To: 10\nExcluded: 0\nFiltered: 0\n"
              "Errors: 0\n");
    EXPECT_THAT(result.out, ::testing::ContainsRegex("Time Taken: [0-9][0-9]:[0-9][0-9]:[0-9][0-9]\n$"));
    EXPECT_EQ(accepted(), addresses);

    // Its copy is in the message history, as a desktop mailing leaves it.
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "Sent Messages")) {
        copies.push_back(entry.path());
    }
    ASSERT_EQ(copies.size(), 1U);
    const auto copy = messages::readMessageDocument(copies[0]);
    EXPECT_EQ(copy.group, "Friends");
    EXPECT_EQ(copy.subject, "News");
    EXPECT_EQ(copy.body, "Hello,\r\nthe news.\r\n\r\n"); // the line ends the files add

    // A partial window 3..5 in bulk mode, with the sent log of the first mailing as block file
    // for everyone but recipient 4.
    std::filesystem::resize_file(record, 0); // the server keeps appending to it
    writeWholeFile(dir / "block.txt", addresses[2] + "\r\n" + addresses[4] + "\r\n");
    result =
        run({"send", "--message", message, "--bulk", "--partial", "3:5", "--block-file", (dir / "block.txt").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, ::testing::StartsWith("Partial Send Completed Successfully\n"));
    EXPECT_THAT(result.out, ::testing::HasSubstr("Sent To: 1\nExcluded: 2\n"));
    EXPECT_THAT(accepted(), ElementsAre(addresses[3]));

    // No server: the first connection fails, the session ends with an error.
    ASSERT_EQ(run({"settings", "set", "Server Setup", "SMTP Port", "1"}).status, 0);
    result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 4);
    EXPECT_THAT(result.out, ::testing::StartsWith("Mailing Terminated by Error\n"));
    EXPECT_THAT(result.err, ::testing::HasSubstr("error: Unable to establish a valid connection with 127.0.0.1"));

    // --server names the host and port for this mailing only; anything else is refused unsent.
    std::filesystem::resize_file(record, 0);
    result = run({"send", "--message", message, "--server", "127.0.0.1:" + std::to_string(server->port())});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(accepted(), addresses);
    for (const std::string bad : {"127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "host:2x", "[::1", ":25"}) {
        result = run({"send", "--message", message, "--server", bad});
        EXPECT_EQ(result.status, 1) << bad;
        EXPECT_EQ(result.err, "error: --server takes HOST or HOST:PORT, not " + bad + "\n");
    }
    EXPECT_EQ(accepted(), addresses);
    result = run({"send", "--message", message, "--server", "127.0.0.1", "--server", "relay:0"});
    EXPECT_EQ(result.err, "error: --server takes HOST or HOST:PORT, not relay:0\n");

    // Given twice, with two connections: each relay takes its share, nobody is mailed twice.
    std::filesystem::resize_file(record, 0);
    const auto secondRecord = dir / "second.txt";
    tidecast::test::FaultServer second(secondRecord, {});
    ASSERT_GT(second.port(), 0);
    result =
        run({"send", "--message", message, "--connections", "2", "--server",
             "127.0.0.1:" + std::to_string(server->port()), "--server", "127.0.0.1:" + std::to_string(second.port())});
    EXPECT_EQ(result.status, 0) << result.err;
    auto both = accepted();
    for (auto& address : splitLines(readWholeFile(secondRecord))) {
        both.push_back(std::move(address));
    }
    std::sort(both.begin(), both.end());
    auto expected = addresses;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(both, expected);

    // Refused before any work: a group that is not there.
    result = run({"send", "--message", message, "--group", "Nobody"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
}

// Mistakes that a dialog prevents: each is refused or answered No before anybody is mailed.
TEST_F(SendCommandTest, RefusesMistakesBeforeMailingAnyone)
{
    ASSERT_NO_FATAL_FAILURE(serve(3));
    const std::string missing = (dir / "no-such-sent.log").string();
    const std::string noSubject = (dir / "no-subject.tcx").string();
    writeWholeFile(noSubject, replaceAll(readWholeFile(message), "News", ""));
    const std::string bulkQuestion = "info: You have selected to send Custom attachments if available for this Group "
                                     "- if you change to Bulk Sending mode you will not be able to send these files.\n"
                                     "info: Are you sure you wish to change to Bulk Mode?\n";
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"--block-file", missing}, 2, "warning: Please select a valid file!\n"},
        {{"--partial", "a:b"}, 1, "warning: Numbers only please!\n"},
        {{"--partial", "1:-2"}, 1, "warning: Numbers only please!\n"},
        {{"--partial", " 1:2"}, 1, "warning: Numbers only please!\n"},
        {{"--message", noSubject}, 3, "info: Are you sure you wish to send this message without a Subject line.\n"},
        {{"--bulk", "--custom-attachments", "1"}, 3, bulkQuestion},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"send"};
        if (c.args[0] != "--message") {
            args.insert(args.end(), {"--message", message});
        }
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = run(args);
        EXPECT_EQ(result.status, c.status) << c.args[0] << ' ' << c.args[1] << '\n' << result.err;
        EXPECT_EQ(result.err, c.err) << c.args[0] << ' ' << c.args[1];
        EXPECT_EQ(result.out, "") << c.args[0] << ' ' << c.args[1];
    }
    // A bulk message cannot carry an unsubscribe link made for one recipient.
    const auto setUrl = [&](const std::string& url) {
        return run({"settings", "set", "Deliverability", "Unsubscribe URL", url}).status;
    };
    ASSERT_EQ(setUrl("https://me.example.test/leave?e=!*EMAIL*!"), 0);
    const auto personalLink = run({"send", "--message", message, "--bulk"});
    EXPECT_EQ(personalLink.status, 2);
    EXPECT_EQ(personalLink.err, "error: This message cannot be sent in bulk because its Unsubscribe URL contains\n"
                                "error:  personalized information for each recipient.\n"
                                "error: Remove the merge macros from the Unsubscribe URL or send in personal mode.\n");
    ASSERT_EQ(setUrl(""), 0);
    EXPECT_TRUE(readWholeFile(record).empty());

    // A question with an exclamation icon is a warning; answered No it stops the command.
    ASSERT_EQ(run({"settings", "set", "Client Setup", "Email Address", ""}).status, 0);
    const auto noSender = run({"send", "--message", message});
    EXPECT_EQ(noSender.status, 3);
    EXPECT_EQ(noSender.err, "warning: A valid From Email Address is required for sending this message\nwarning: \n"
                            "warning: Would you like to enter one now?\n");
    ASSERT_EQ(run({"settings", "set", "Client Setup", "Email Address", "me@example.test"}).status, 0);

    // A listed attachment that is missing is asked about before the first message.
    messages::MessageDocument withFile = messages::readMessageDocument(message);
    withFile.attachments = {(dir / "gone.pdf").string()};
    const std::string withFilePath = (dir / "with-file.tcx").string();
    ASSERT_TRUE(writeWholeFile(withFilePath, messages::buildMessageDocument(withFile, messages::DocumentKind::Saved,
                                                                            std::chrono::system_clock::now())));
    const auto noFile = run({"send", "--message", withFilePath});
    EXPECT_EQ(noFile.status, 3);
    EXPECT_EQ(noFile.err, "warning: The attachment \"" + (dir / "gone.pdf").string() +
                              "\" cannot be found.\nwarning: Do you wish to send this message without it?\n");
    EXPECT_EQ(noFile.out, "");
    EXPECT_TRUE(readWholeFile(record).empty());

    // Answered Yes, bulk mode goes on without the personal attachments.
    const auto bulk = run({"--yes", "send", "--message", message, "--bulk", "--custom-attachments", "1"});
    EXPECT_EQ(bulk.status, 0) << bulk.err;
    EXPECT_EQ(accepted().size(), 3U);
}

TEST_F(SendCommandTest, SessionEndingBeforeTheGroupOpensReportsTheGroupsSize)
{
    ASSERT_NO_FATAL_FAILURE(serve(4));
    writeWholeFile(dir / "Exclusion List.gdb", "not a database");
    const auto result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 4) << result.err;
    EXPECT_THAT(result.out, ::testing::StartsWith("Mailing Terminated by Error\nGroup: Friends (4 recipients)\n"));
}

TEST_F(SendCommandTest, CompletedWithRecipientErrorsExitsFive)
{
    ASSERT_NO_FATAL_FAILURE(serve(10, {"--reject550", "0.5", "--seed", "3"}));
    const auto result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 5) << result.err;
    EXPECT_THAT(result.out, ::testing::StartsWith("Message Successfully Mailed\n"));
    EXPECT_THAT(result.out, ::testing::Not(::testing::HasSubstr("Errors: 0\n")));
}

TEST_F(SendCommandTest, AnExclusionAddedOnTheCommandLineIsHonouredByTheNextMailing)
{
    ASSERT_NO_FATAL_FAILURE(serve(4));

    EXPECT_EQ(run({"exclusion", "add", "no-at-sign"}).err,
              "warning: This does not appear to be a valid address. Please verify.\n");
    EXPECT_EQ(run({"exclusion", "add", "x@example.test", "--group", "Nobody"}).status, 2);
    ASSERT_EQ(run({"exclusion", "add", addresses[1]}).status, 0);
    ASSERT_EQ(run({"exclusion", "add", addresses[2], "--group", "friends"}).status, 0);
    ASSERT_EQ(run({"exclusion", "add", addresses[3], "--group", "Others"}).status, 2);
    auto result = run({"exclusion", "add", addresses[1], "--group", "Friends"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "warning: This email address already exists in the list.\n");
    EXPECT_EQ(run({"exclusion", "list"}).out, addresses[1] + "\tAll Groups\n" + addresses[2] + "\tFriends\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "Exclusion List.gdb.old"));

    result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, ::testing::HasSubstr("Sent To: 2\nExcluded: 2\n"));
    EXPECT_THAT(accepted(), ElementsAre(addresses[0], addresses[3]));

    // Removing the group's entry mails that address again.
    EXPECT_EQ(run({"exclusion", "remove", addresses[2]}).status, 2);
    ASSERT_EQ(run({"exclusion", "remove", addresses[2], "--group", "FRIENDS"}).status, 0);
    std::filesystem::resize_file(record, 0);
    result = run({"send", "--message", message});
    EXPECT_THAT(result.out, ::testing::HasSubstr("Sent To: 3\nExcluded: 1\n"));
    EXPECT_THAT(accepted(), ElementsAre(addresses[0], addresses[2], addresses[3]));
}

TEST_F(SendCommandTest, PasswordComesFromAFileOrTheEnvironment)
{
    tidecast::test::TempDir spool;
    auto smtp = tidecast::test::ServerProcess::startReporting(
        {"/usr/bin/python3", tidecast::test::serverScript("smtp_server.py").string(), "--spool", spool.path().string(),
         "--auth", "ann:s3cret"});
    ASSERT_TRUE(smtp);
    prepare(2, smtp->port());
    for (const auto& [key, value] : {std::pair{"SMTP Authentication", "True"}, std::pair{"SMTP Username", "ann"}}) {
        ASSERT_EQ(run({"settings", "set", "Server Setup", key, value}).status, 0);
    }
    ASSERT_TRUE(writeWholeFile(dir / "password", "s3cret\n"));

    // No password anywhere: the server refuses the log-in.
    auto result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 4);
    EXPECT_FALSE(std::filesystem::exists(spool / "1.eml"));

    result = run({"send", "--message", message, "--password-file", (dir / "password").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(spool / "2.eml"));

    ::setenv("TIDECAST_SMTP_PASSWORD", "s3cret", 1);
    result = run({"send", "--message", message});
    ::unsetenv("TIDECAST_SMTP_PASSWORD");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(spool / "4.eml"));
    // Neither way leaves the password in the settings file.
    EXPECT_EQ(readWholeFile(dir / "ej.dat").find("s3cret"), std::string::npos);

    result = run({"send", "--message", message, "--password-file", (dir / "none").string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(result.err, ::testing::HasSubstr("error: Cannot read the password file "));

    // The desktop keeps the password in its keyring: the CLI cannot reach it and says how to give it.
    ASSERT_EQ(run({"settings", "set", "Server Setup", "Passwords In Keyring", "True"}).status, 0);
    result = run({"send", "--message", message});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "error: The SMTP password is kept in the desktop keyring: give it with --password-file or "
                          "TIDECAST_SMTP_PASSWORD\n");
    result = run({"send", "--message", message, "--password-file", (dir / "password").string()});
    EXPECT_EQ(result.status, 0) << result.err;
}

TEST_F(SendCommandTest, KilledMailingResumesWithItsSentLogAsBlockFile)
{
    constexpr int kRecipients = 5000;
    ASSERT_NO_FATAL_FAILURE(serve(kRecipients));
    // Kill it part-way, somewhere after the first thousand.
    const pid_t pid = startMailing(dir / "first.out", 1000);
    ASSERT_GT(pid, 0);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the mailing ended before it could be killed";
    const auto mailedBefore = splitLines(readWholeFile(sentLog)).size();
    EXPECT_LT(mailedBefore, static_cast<std::size_t>(kRecipients));

    std::filesystem::copy_file(sentLog, dir / "resume.log");
    const auto second = run({"send", "--message", message, "--block-file", (dir / "resume.log").string()});
    EXPECT_EQ(second.status, 0) << second.err;

    std::map<std::string, int> received;
    for (const auto& address : accepted()) {
        ++received[address];
    }
    int twice = 0;
    for (const auto& address : addresses) {
        EXPECT_GE(received[address], 1) << address;
        EXPECT_LE(received[address], 2) << address;
        twice += received[address] == 2 ? 1 : 0;
    }
    EXPECT_LE(twice, 1);
    EXPECT_EQ(received.size(), static_cast<std::size_t>(kRecipients));
}

// Ctrl-C or SIGTERM is the Stop button answered Yes: the session ends "U" with its logs and
// summary, exit 3; a second Ctrl-C ends the process at once. Either way the sent log names only
// addresses the server accepted.
TEST_F(SendCommandTest, SignalsStopTheMailingAsTheStopButtonDoes)
{
    constexpr int kRecipients = 5000;
    ASSERT_NO_FATAL_FAILURE(serve(kRecipients));
    for (const auto& [signals, signal] : {std::pair{1, SIGINT}, std::pair{1, SIGTERM}, std::pair{2, SIGINT}}) {
        std::filesystem::remove(sentLog);
        const auto output = dir / "stopped.out";
        const pid_t pid = startMailing(output, 100);
        ASSERT_GT(pid, 0);
        for (int i = 0; i < signals; ++i) {
            kill(pid, signal);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " x" << signals;
        EXPECT_EQ(WEXITSTATUS(status), 3) << "signal " << signal << " x" << signals;
        const auto mailed = splitLines(readWholeFile(sentLog));
        EXPECT_LT(mailed.size(), static_cast<std::size_t>(kRecipients));
        const auto taken = accepted();
        const std::set<std::string> received(taken.begin(), taken.end());
        for (const auto& address : mailed) {
            EXPECT_TRUE(received.contains(address)) << address;
        }
        if (signals == 1) {
            EXPECT_THAT(readWholeFile(output), ::testing::StartsWith("Mailing Stopped by User\n"));
            EXPECT_EQ(run({"settings", "get", "Tech", "Action"}).out, "Stopped By User\n");
        }
    }
}

} // namespace
} // namespace tidecast::cli
