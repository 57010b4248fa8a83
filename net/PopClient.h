#pragma once

#include "net/ClientError.h"
#include "net/MailTransport.h"
#include "net/PopLogin.h"
#include "net/Security.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tidecast::net
{

// Our POP3 client: logs in, reads the number of waiting messages and leaves; messages are
// neither read nor deleted. Blocking calls with a time-out, like SmtpClient.
class PopClient
{
public:
    enum class State
    {
        Idle,
        Connected, // logged in
    };

    void setHost(std::string host) { m_host = std::move(host); }
    const std::string& host() const { return m_host; }
    void setPort(std::uint16_t port) { m_port = port; }
    void setUsername(std::string username) { m_username = std::move(username); }
    void setPassword(std::string password) { m_password = std::move(password); }
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }
    void setSecurity(Security security) { m_security = security; }
    void setCaFile(std::string certificateAuthorityFile) { m_transport.setCaFile(std::move(certificateAuthorityFile)); }

    State state() const { return m_state; }
    // Forgets a half-finished state without talking to the server.
    void reset();

    bool login();
    int messageCount() const { return m_messageCount; }
    // QUIT and close.
    void disconnect();
    void cancel() { m_transport.cancel(); }

    const std::optional<ClientError>& lastError() const { return m_lastError; }
    void clearLastError() { m_lastError.reset(); }

private:
    std::chrono::milliseconds timeout() const;
    std::optional<std::string> readLine();
    std::optional<PopReply> readReply(bool multiLine);
    bool fail(int number, std::string description);

    MailTransport m_transport;
    std::string m_buffer;
    std::string m_host;
    std::uint16_t m_port = 110;
    std::string m_username;
    std::string m_password;
    int m_timeoutSeconds = 30;
    Security m_security = Security::Auto;
    State m_state = State::Idle;
    int m_messageCount = 0;
    std::optional<ClientError> m_lastError;
};

} // namespace tidecast::net
