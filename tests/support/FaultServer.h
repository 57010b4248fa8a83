#pragma once

#include "support/ServerProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tidecast::test
{

// tests/support/servers/fault_smtp_server.py, started on a free loopback port for one test and stopped by
// its process id when the test ends.
class FaultServer
{
public:
    FaultServer(const std::filesystem::path& record, const std::vector<std::string>& options)
    {
        const auto script = serverScript("fault_smtp_server.py");
        std::vector<std::string> args = {"/usr/bin/python3", script.string(), "--record", record.string()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        close(out[0]);
        m_port = std::atoi(line.c_str());
    }

    ~FaultServer() { stop(); }

    // Kills the server at once: its connections are reset, new ones refused.
    void stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
            m_pid = 0;
        }
    }

    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    // 0 when the server did not start.
    int port() const { return m_port; }

private:
    pid_t m_pid = 0;
    int m_port = 0;
};

} // namespace tidecast::test
