#pragma once

#include "cli/CliApp.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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

} // namespace tidecast::cli::test
