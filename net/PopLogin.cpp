#include "net/PopLogin.h"

#include "common/Text.h"
#include "net/SmtpErrors.h"
#include "net/SmtpHandshake.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tidecast::net
{

bool parsePopStatus(std::string_view line, PopReply& reply)
{
    if (line.rfind("+OK", 0) == 0) {
        reply.ok = true;
        line.remove_prefix(3);
    } else if (line.rfind("-ERR", 0) == 0) {
        reply.ok = false;
        line.remove_prefix(4);
    } else {
        return false;
    }
    reply.text = std::string(trimBlanks(line));
    return true;
}

PopLogin::PopLogin(PopLoginSettings settings)
    : m_settings(std::move(settings))
{}

PopLogin::Step PopLogin::send(State next, std::string command, bool multiLine)
{
    m_state = next;
    command += "\r\n";
    return {Action::Send, std::move(command), multiLine};
}

PopLogin::Step PopLogin::fail(int number, std::string text)
{
    m_state = State::Failed;
    m_errorNumber = number;
    m_errorText = std::move(text);
    return {Action::Failed, {}, false};
}

PopLogin::Step PopLogin::authenticate()
{
    if (!m_settings.tlsActive && m_settings.security != Security::None) {
        return fail(smtp_error::kEncryptionUnavailable,
                    "The POP3 connection is not encrypted, so the password was not sent");
    }
    return send(State::User, "USER " + sanitizeCommandArgument(m_settings.username));
}

PopLogin::Step PopLogin::onReply(const PopReply& reply)
{
    switch (m_state) {
    case State::Greeting:
        if (!reply.ok) {
            return fail(smtp_error::kProtocol, "The POP3 server refused the session: " + reply.text);
        }
        if (m_settings.tlsActive || m_settings.security == Security::None) {
            return authenticate();
        }
        return send(State::Capa, "CAPA", true);
    case State::Capa: {
        const bool offersStls =
            reply.ok && std::any_of(reply.body.begin(), reply.body.end(), [](const std::string& line) {
                return equalsIgnoreCase(trimWhitespace(line), "STLS");
            });
        if (offersStls) {
            return send(State::Stls, "STLS");
        }
        if (m_settings.security == Security::StartTls) {
            return fail(smtp_error::kEncryptionUnavailable, "The POP3 server does not offer STLS");
        }
        return authenticate();
    }
    case State::Stls:
        if (!reply.ok) {
            return fail(smtp_error::kEncryptionUnavailable, "The POP3 server refused STLS: " + reply.text);
        }
        return {Action::StartTls, {}, false};
    case State::User:
        if (!reply.ok) {
            return fail(smtp_error::kAuthenticationFailed, "POP3 log-in failed: " + reply.text);
        }
        return send(State::Pass, "PASS " + sanitizeCommandArgument(m_settings.password));
    case State::Pass:
        if (!reply.ok) {
            return fail(smtp_error::kAuthenticationFailed, "POP3 log-in failed: " + reply.text);
        }
        return send(State::Stat, "STAT");
    case State::Stat: {
        const auto space = reply.text.find(' ');
        const std::string_view count = std::string_view(reply.text).substr(0, space);
        int value = 0;
        if (!reply.ok || std::from_chars(count.data(), count.data() + count.size(), value).ec != std::errc()) {
            return fail(smtp_error::kProtocol, "The POP3 server gave no message count: " + reply.text);
        }
        m_messageCount = value;
        m_state = State::Done;
        return {Action::Done, {}, false};
    }
    case State::Done:
    case State::Failed:
        break;
    }
    return fail(smtp_error::kProtocol, "Unexpected answer from the POP3 server");
}

PopLogin::Step PopLogin::onTlsStarted()
{
    m_settings.tlsActive = true;
    return authenticate();
}

} // namespace tidecast::net
