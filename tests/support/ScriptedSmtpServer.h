#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tidecast::test
{

// A one-connection server on 127.0.0.1 that plays a script, for testing the client's side of a
// conversation without a real server. Script lines:
//   "S: text"  send text + CR LF
//   "C: text"  expect exactly this line from the client
//   "DATA"     take message text up to the terminating "." line; data() returns it as received
//   "CLOSE"    close the connection
//   "SILENT"   say nothing until the client goes away
// finish() waits for the script to end and returns what went wrong, empty when it ran as written
// and was used up.
class ScriptedSmtpServer
{
public:
    explicit ScriptedSmtpServer(std::vector<std::string> script)
        : m_script(std::move(script))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { play(); });
    }

    ~ScriptedSmtpServer()
    {
        (void)finish();
        ::close(m_listener);
    }

    std::uint16_t port() const { return m_port; }

    std::string finish()
    {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_problem;
    }

    const std::string& data() const { return m_data; }

private:
    static constexpr int kWaitMs = 5000;

    bool readMore(int connection)
    {
        pollfd pfd{connection, POLLIN, 0};
        if (::poll(&pfd, 1, kWaitMs) <= 0) {
            return false;
        }
        char buffer[8192];
        const auto n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return false;
        }
        m_input.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    bool readLine(int connection, std::string& line)
    {
        for (;;) {
            const auto end = m_input.find("\r\n");
            if (end != std::string::npos) {
                line = m_input.substr(0, end);
                m_input.erase(0, end + 2);
                return true;
            }
            if (!readMore(connection)) {
                return false;
            }
        }
    }

    void play()
    {
        pollfd pfd{m_listener, POLLIN, 0};
        if (::poll(&pfd, 1, kWaitMs) <= 0) {
            m_problem = "no client connected";
            return;
        }
        const int connection = ::accept(m_listener, nullptr, nullptr);
        for (const auto& step : m_script) {
            if (step.rfind("S: ", 0) == 0) {
                const std::string out = step.substr(3) + "\r\n";
                (void)::send(connection, out.data(), out.size(), MSG_NOSIGNAL);
            } else if (step.rfind("C: ", 0) == 0) {
                std::string line;
                if (!readLine(connection, line)) {
                    m_problem = "client went quiet before: " + step;
                    break;
                }
                if (line != step.substr(3)) {
                    m_problem = "expected \"" + step.substr(3) + "\", got \"" + line + "\"";
                    break;
                }
            } else if (step == "DATA") {
                std::size_t end = std::string::npos;
                while ((end = m_input.find("\r\n.\r\n")) == std::string::npos) {
                    if (!readMore(connection)) {
                        m_problem = "message text did not end";
                        break;
                    }
                }
                if (end == std::string::npos) {
                    break;
                }
                m_data = m_input.substr(0, end + 2);
                m_input.erase(0, end + 5);
            } else if (step == "CLOSE") {
                break;
            } else if (step == "SILENT") {
                while (readMore(connection)) {
                }
            }
        }
        ::close(connection);
    }

    std::vector<std::string> m_script;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::string m_input;
    std::string m_data;
    std::string m_problem;
};

} // namespace tidecast::test
