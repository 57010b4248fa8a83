#pragma once

// Helpers shared by the benchmarks that measure against Postfix's smtp-sink and smtp-source.

#include "support/ServerProcess.h"

#include <chrono>
#include <cstdint>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tidecast::bench
{

// Benchmarks start their processes the way the tests start their servers.
using test::acceptsConnections;
using test::freeLoopbackPort;

inline pid_t spawnQuietly(const std::vector<std::string>& args)
{
    return test::spawnProcess(args, -1);
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
            if (acceptsConnections(m_port)) {
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
