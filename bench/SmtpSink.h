#pragma once

// Helpers shared by the benchmarks that measure against Postfix's smtp-sink and smtp-source.

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tidecast::bench
{

// Starts a program without a shell, its standard output thrown away; -1 when it cannot start.
inline pid_t spawnQuietly(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

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

inline bool isListening(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// Postfix keeps smtp-sink and smtp-source outside the PATH on Debian.
inline std::string findPostfixProgram(const std::string& name)
{
    for (const char* folder : {"/usr/lib/postfix/sbin/", "/usr/sbin/"}) {
        const std::string path = folder + name;
        if (::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

// An smtp-sink on a free loopback port, stopped by its process id. port() is 0 when it never
// started listening.
class SmtpSink
{
public:
    explicit SmtpSink(const std::string& program, bool pipelining = true)
        : m_port(freeLoopbackPort())
    {
        std::vector<std::string> args = {program};
        if (::geteuid() == 0) {
            args.insert(args.end(), {"-u", "nobody"});
        }
        if (!pipelining) {
            args.push_back("-p");
        }
        args.insert(args.end(), {"127.0.0.1:" + std::to_string(m_port), "256"});
        m_pid = spawnQuietly(args);
        for (int i = 0; i < 250 && m_pid > 0; ++i) {
            if (isListening(m_port)) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_port = 0;
    }
    ~SmtpSink()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    std::uint16_t port() const { return m_port; }

private:
    std::uint16_t m_port;
    pid_t m_pid = -1;
};

} // namespace tidecast::bench
