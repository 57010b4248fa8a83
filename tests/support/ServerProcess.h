#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tidecast::test
{

// The folder of the test servers' scripts.
inline std::filesystem::path serverScript(const std::string& name)
{
    return std::filesystem::path(TIDECAST_TEST_SUPPORT_DIR) / "servers" / name;
}

inline pid_t spawnProcess(const std::vector<std::string>& args, int stdoutFd)
{
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// What a shell command writes to stdout, read to its end.
inline std::string commandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, got);
        }
        pclose(pipe);
    }
    return output;
}

// Runs a program to its end; its exit status, or -1.
inline int runProgram(const std::vector<std::string>& args)
{
    const pid_t pid = spawnProcess(args, -1);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// A port nobody listens on at the moment (for servers that cannot pick their own).
inline std::uint16_t freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool acceptsConnections(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// A server started for a test and stopped by its process id when the object goes, whatever
// happened in between.
class ServerProcess
{
public:
    // Starts a server that prints "READY <port>" when it listens.
    static std::unique_ptr<ServerProcess> startReporting(const std::vector<std::string>& args)
    {
        int fds[2];
        if (::pipe(fds) != 0) {
            return nullptr;
        }
        auto server = std::unique_ptr<ServerProcess>(new ServerProcess(spawnProcess(args, fds[1])));
        ::close(fds[1]);
        std::string output;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (server->m_pid > 0 && output.find('\n') == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{fds[0], POLLIN, 0};
            if (::poll(&pfd, 1, 100) > 0) {
                char buffer[256];
                const auto n = ::read(fds[0], buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                output.append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(fds[0]);
        if (output.rfind("READY ", 0) != 0) {
            return nullptr;
        }
        server->m_port = static_cast<std::uint16_t>(std::atoi(output.c_str() + 6));
        return server;
    }

    // Starts a server on a port chosen beforehand and waits until it takes connections.
    static std::unique_ptr<ServerProcess> startOnPort(const std::vector<std::string>& args, std::uint16_t port)
    {
        auto server = std::unique_ptr<ServerProcess>(new ServerProcess(spawnProcess(args, -1)));
        server->m_port = port;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (server->m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
            if (acceptsConnections(port)) {
                return server;
            }
            int status = 0;
            if (waitpid(server->m_pid, &status, WNOHANG) == server->m_pid) {
                server->m_pid = -1; // it died: nothing left to stop
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return nullptr;
    }

    ~ServerProcess()
    {
        if (m_pid <= 0) {
            return;
        }
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }

    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    std::uint16_t port() const { return m_port; }
    pid_t pid() const { return m_pid; }

private:
    explicit ServerProcess(pid_t pid)
        : m_pid(pid)
    {}

    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
};

} // namespace tidecast::test
