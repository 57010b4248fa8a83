#pragma once

#include "cli/CliApp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tidecast::cli::test
{

struct CliRun
{
    int status;
    std::string out;
    std::string err;
};

// Runs tidecast-cli in process with these arguments, with `input` as stdin.
inline CliRun runArguments(std::vector<std::string> arguments, const std::string& input = {})
{
    arguments.insert(arguments.begin(), "tidecast-cli");
    std::vector<const char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

// Runs tidecast-cli in process on a data folder, with `input` as stdin.
inline CliRun runInProcess(const std::filesystem::path& dataDir, std::vector<std::string> arguments,
                           const std::string& input = {})
{
    arguments.insert(arguments.begin(), {"--data-dir", dataDir.string()});
    return runArguments(std::move(arguments), input);
}

// A data folder of its own for each test, and tidecast-cli run in process on it.
class CliTest : public ::testing::Test
{
protected:
    tidecast::test::TempDir dir;

    CliRun run(std::vector<std::string> arguments, const std::string& input = {})
    {
        return runInProcess(dir.path(), std::move(arguments), input);
    }
};

// Starts tidecast-cli as a process of its own with stdout in `output` and stdin empty; 0 when it
// could not be started. The build puts it in cli/ beside the tests' folder when TIDECAST_CLI
// does not say where it is.
inline pid_t spawnCli(const std::vector<std::string>& args, const std::filesystem::path& output)
{
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

} // namespace tidecast::cli::test
