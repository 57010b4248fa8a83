#include "net/PopClient.h"

#include "net/SmtpErrors.h"

namespace tidecast::net
{

std::chrono::milliseconds PopClient::timeout() const
{
    return std::chrono::seconds(m_timeoutSeconds > 0 ? m_timeoutSeconds : 30);
}

void PopClient::reset()
{
    m_transport.close();
    m_buffer.clear();
    m_state = State::Idle;
}

bool PopClient::fail(int number, std::string description)
{
    reset();
    m_lastError = ClientError{number, std::move(description)};
    return false;
}

std::optional<std::string> PopClient::readLine()
{
    for (;;) {
        const auto end = m_buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        auto received = m_transport.readSome(timeout());
        if (!received) {
            fail(received.error().number, received.error().detail);
            return std::nullopt;
        }
        m_buffer += *received;
    }
}

std::optional<PopReply> PopClient::readReply(bool multiLine)
{
    auto line = readLine();
    if (!line) {
        return std::nullopt;
    }
    PopReply reply;
    if (!parsePopStatus(*line, reply)) {
        fail(smtp_error::kProtocol, "The POP3 server's answer could not be understood");
        return std::nullopt;
    }
    while (multiLine && reply.ok) {
        auto bodyLine = readLine();
        if (!bodyLine) {
            return std::nullopt;
        }
        if (*bodyLine == ".") {
            break;
        }
        // A leading dot is doubled on the wire.
        reply.body.push_back(bodyLine->rfind("..", 0) == 0 ? bodyLine->substr(1) : *bodyLine);
    }
    return reply;
}

bool PopClient::login()
{
    reset();
    m_messageCount = 0;
    const bool implicitTls =
        m_security == Security::Tls || (m_security == Security::Auto && m_port == kImplicitTlsPopPort);
    auto connected = m_transport.connect(m_host, m_port, timeout());
    if (connected && implicitTls) {
        connected = m_transport.startTls(m_host, timeout());
    }
    if (!connected) {
        return fail(connected.error().number, connected.error().detail);
    }
    PopLogin dialogue({m_security, implicitTls, m_username, m_password});
    bool multiLine = false;
    for (;;) {
        auto reply = readReply(multiLine);
        if (!reply) {
            return false;
        }
        auto step = dialogue.onReply(*reply);
        if (step.action == PopLogin::Action::StartTls) {
            m_buffer.clear(); // nothing sent in the clear may be read as coming over TLS
            auto secured = m_transport.startTls(m_host, timeout());
            if (!secured) {
                return fail(secured.error().number, secured.error().detail);
            }
            step = dialogue.onTlsStarted();
        }
        switch (step.action) {
        case PopLogin::Action::Send: {
            auto written = m_transport.write(step.command, timeout());
            if (!written) {
                return fail(written.error().number, written.error().detail);
            }
            multiLine = step.multiLine;
            break;
        }
        case PopLogin::Action::Done:
            m_messageCount = dialogue.messageCount();
            m_state = State::Connected;
            return true;
        case PopLogin::Action::Failed:
            return fail(dialogue.errorNumber(), dialogue.errorText());
        case PopLogin::Action::StartTls:
            break;
        }
    }
}

void PopClient::disconnect()
{
    if (m_state == State::Connected && m_transport.isOpen()) {
        if (m_transport.write("QUIT\r\n", timeout())) {
            (void)readLine();
        }
    }
    reset();
}

} // namespace tidecast::net
