#include "cli/CliApp.h"
#include "messages/MessageDocument.h"
#include "support/FaultServer.h"
#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace tidecast::cli
{
namespace
{

using ::testing::ElementsAre;

struct Run
{
    int status;
    std::string out;
    std::string err;
};

Run run(std::vector<std::string> args)
{
    args.insert(args.begin(), "tidecast-cli");
    std::vector<const char*> argv;
    for (const auto& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

// A data folder with the group "Friends" of `count` recipients, a message for it and a server
// configured at `port`.
class SendCommandTest : public ::testing::Test
{
protected:
    void prepare(int count, int port)
    {
        addresses = test::numberedAddresses(count);
        ASSERT_EQ(run({"--data-dir", data, "groups", "add", "Friends"}).status, 0);
        ASSERT_TRUE(test::makeGroup(dir.path(), "Friends", addresses));
        for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
                 {"Startup", "Welcome", "1"}, // past the first run: "ej.dat" holds the settings
                 {"Server Setup", "SMTP Server", "127.0.0.1"},
                 {"Server Setup", "SMTP Port", std::to_string(port)},
                 {"Server Setup", "Security", "none"},
                 {"Server Setup", "Timeout", "2"},
                 {"Client Setup", "Email Address", "me@example.test"}}) {
            ASSERT_EQ(run({"--data-dir", data, "settings", "set", section, key, value}).status, 0);
        }
        messages::MessageDocument document;
        document.group = "Friends";
        document.subject = "News";
        document.body = "Hello,\r\nthe news.";
        ASSERT_TRUE(writeWholeFile(message, messages::buildMessageDocument(document, messages::DocumentKind::Saved,
                                                                           std::chrono::system_clock::now()) +
                                                "\r\n"));
    }

    std::vector<std::string> accepted() const { return splitLines(readWholeFile(record)); }

    tidecast::test::TempDir dir;
    std::string data = dir.path().string();
    std::string message = (dir / "news.tcx").string();
    std::filesystem::path record = dir / "accepted.txt";
    std::vector<std::string> addresses;
};

TEST_F(SendCommandTest, PrintsTheResultsAndExitsByResultCode)
{
    test::FaultServer server(record, {});
    ASSERT_GT(server.port(), 0) << "the fault-injecting SMTP server did not start";
    prepare(10, server.port());

    auto result = run({"--data-dir", data, "send", "--message", message});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find("Time Taken: ")),
              "Message Successfully Mailed\nGroup: Friends (10 recipients)\nSent To: 10\nExcluded: 0\nFiltered: 0\n"
              "Errors: 0\n");
    EXPECT_THAT(result.out, ::testing::ContainsRegex("Time Taken: [0-9][0-9]:[0-9][0-9]:[0-9][0-9]\n$"));
    EXPECT_EQ(accepted(), addresses);

    // A partial window 3..5 in bulk mode, with the sent log of the first mailing as block file
    // for everyone but recipient 4.
    std::filesystem::resize_file(record, 0); // the server keeps appending to it
    writeWholeFile(dir / "block.txt", addresses[2] + "\r\n" + addresses[4] + "\r\n");
    result = run({"--data-dir", data, "send", "--message", message, "--bulk", "--partial", "3:5", "--block-file",
                  (dir / "block.txt").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, ::testing::StartsWith("Partial Send Completed Successfully\n"));
    EXPECT_THAT(result.out, ::testing::HasSubstr("Sent To: 1\nExcluded: 2\n"));
    EXPECT_THAT(accepted(), ElementsAre(addresses[3]));

    // No server: the first connection fails, the session ends with an error.
    ASSERT_EQ(run({"--data-dir", data, "settings", "set", "Server Setup", "SMTP Port", "1"}).status, 0);
    result = run({"--data-dir", data, "send", "--message", message});
    EXPECT_EQ(result.status, 4);
    EXPECT_THAT(result.out, ::testing::StartsWith("Mailing Terminated by Error\n"));
    EXPECT_THAT(result.err, ::testing::HasSubstr("error: Unable to establish a valid connection with 127.0.0.1"));

    // Refused before any work: a group that is not there.
    result = run({"--data-dir", data, "send", "--message", message, "--group", "Nobody"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
}

pid_t spawnCli(const std::vector<std::string>& args, const std::filesystem::path& output)
{
    // The build puts tidecast-cli in cli/ beside the tests' folder when the environment does not say.
    const char* cli = std::getenv("TIDECAST_CLI");
    const auto built =
        std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "cli" / "tidecast-cli";
    std::vector<std::string> all = {cli ? std::string(cli) : built.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST_F(SendCommandTest, KilledMailingResumesWithItsSentLogAsBlockFile)
{
    test::FaultServer server(record, {});
    ASSERT_GT(server.port(), 0) << "the fault-injecting SMTP server did not start";
    constexpr int kRecipients = 5000;
    prepare(kRecipients, server.port());
    const auto sentLog = mailing::SendLogs::file(dir.path(), mailing::kSentLogFile);

    const pid_t pid = spawnCli({"--data-dir", data, "send", "--message", message}, dir / "first.out");
    ASSERT_GT(pid, 0);
    // Kill it part-way, somewhere after the first thousand.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (splitLines(readWholeFile(sentLog)).size() < 1000 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the mailing ended before it could be killed";
    const auto mailedBefore = splitLines(readWholeFile(sentLog)).size();
    EXPECT_LT(mailedBefore, static_cast<std::size_t>(kRecipients));

    std::filesystem::copy_file(sentLog, dir / "resume.log");
    const auto second =
        run({"--data-dir", data, "send", "--message", message, "--block-file", (dir / "resume.log").string()});
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

} // namespace
} // namespace tidecast::cli
