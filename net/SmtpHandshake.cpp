#include "net/SmtpHandshake.h"

#include "net/SaslEncoding.h"
#include "net/SmtpErrors.h"

#include <utility>

namespace tidecast::net
{

namespace
{

std::string serverSaid(const SmtpReply& reply)
{
    return std::to_string(reply.code) + " " + reply.text();
}

} // namespace

std::string sanitizeCommandArgument(std::string_view value)
{
    std::string clean(value);
    for (auto& c : clean) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return clean;
}

SmtpHandshake::SmtpHandshake(HandshakeSettings settings)
    : m_settings(std::move(settings))
{}

SmtpHandshake::Step SmtpHandshake::send(State next, std::string command)
{
    m_state = next;
    command += "\r\n";
    return {Action::Send, std::move(command)};
}

SmtpHandshake::Step SmtpHandshake::fail(int number, std::string text)
{
    m_state = State::Failed;
    m_errorNumber = number;
    m_errorText = std::move(text);
    return {Action::Failed, {}};
}

SmtpHandshake::Step SmtpHandshake::onReply(const SmtpReply& reply)
{
    m_lastReply = reply;
    if (reply.code < 0) {
        return fail(smtp_error::kProtocol, "The server's reply could not be understood");
    }
    switch (m_state) {
    case State::Greeting:
        if (reply.code != 220) {
            return fail(smtp_error::kProtocol, "The server refused the session: " + serverSaid(reply));
        }
        return send(State::Ehlo, "EHLO " + sanitizeCommandArgument(m_settings.heloDomain));
    case State::Ehlo:
        if (reply.isPositive()) {
            m_capabilities = SmtpCapabilities::fromEhloReply(reply);
            m_capabilities.extended = true;
            return afterHello();
        }
        if (reply.isPermanent()) {
            // An old server that does not know EHLO: plain SMTP, without any extension.
            return send(State::Helo, "HELO " + sanitizeCommandArgument(m_settings.heloDomain));
        }
        return fail(smtp_error::kProtocol, "The server refused EHLO: " + serverSaid(reply));
    case State::Helo:
        if (!reply.isPositive()) {
            return fail(smtp_error::kProtocol, "The server refused HELO: " + serverSaid(reply));
        }
        m_capabilities = {};
        return afterHello();
    case State::StartTls:
        if (reply.code != 220) {
            return fail(smtp_error::kEncryptionUnavailable, "The server refused STARTTLS: " + serverSaid(reply));
        }
        return {Action::StartTls, {}};
    case State::AuthPlain:
    case State::AuthResult:
        if (reply.code != 235) {
            return fail(smtp_error::kAuthenticationFailed, "Authentication failed: " + serverSaid(reply));
        }
        m_state = State::Done;
        return {Action::Done, {}};
    case State::AuthLoginUser:
        if (reply.code != 334) {
            return fail(smtp_error::kAuthenticationFailed, "Authentication failed: " + serverSaid(reply));
        }
        return send(State::AuthLoginPassword, saslEncode(m_settings.username));
    case State::AuthLoginPassword:
        if (reply.code != 334) {
            return fail(smtp_error::kAuthenticationFailed, "Authentication failed: " + serverSaid(reply));
        }
        return send(State::AuthResult, saslEncode(m_settings.password));
    case State::AuthCramMd5: {
        const auto challenge = reply.code == 334 ? saslDecode(reply.text()) : std::nullopt;
        if (!challenge) {
            return fail(smtp_error::kAuthenticationFailed, "Authentication failed: " + serverSaid(reply));
        }
        return send(State::AuthResult,
                    saslEncode(cramMd5Response(m_settings.username, m_settings.password, *challenge)));
    }
    case State::Done:
    case State::Failed:
        break;
    }
    return fail(smtp_error::kProtocol, "Unexpected reply from server: " + serverSaid(reply));
}

SmtpHandshake::Step SmtpHandshake::onTlsStarted()
{
    // Nothing learnt before the handshake counts: ask again over the protected channel.
    m_settings.tlsActive = true;
    m_capabilities = {};
    return send(State::Ehlo, "EHLO " + sanitizeCommandArgument(m_settings.heloDomain));
}

SmtpHandshake::Step SmtpHandshake::afterHello()
{
    if (!m_settings.tlsActive) {
        if (m_settings.security == Security::StartTls && !m_capabilities.startTls) {
            return fail(smtp_error::kEncryptionUnavailable,
                        "The server does not offer STARTTLS, which the security setting requires");
        }
        if (m_settings.security == Security::StartTls ||
            (m_settings.security == Security::Auto && m_capabilities.startTls)) {
            return send(State::StartTls, "STARTTLS");
        }
    }
    if (!m_settings.authenticate) {
        m_state = State::Done;
        return {Action::Done, {}};
    }
    if (!m_settings.tlsActive && m_settings.security != Security::None) {
        return fail(smtp_error::kEncryptionUnavailable,
                    "The connection is not encrypted, so the password was not sent (set Security to none to allow "
                    "this)");
    }
    if (m_capabilities.offersAuth("CRAM-MD5")) {
        return send(State::AuthCramMd5, "AUTH CRAM-MD5");
    }
    if (m_capabilities.offersAuth("PLAIN")) {
        std::string token;
        token += '\0';
        token += m_settings.username;
        token += '\0';
        token += m_settings.password;
        return send(State::AuthPlain, "AUTH PLAIN " + saslEncode(token));
    }
    if (m_capabilities.offersAuth("LOGIN")) {
        return send(State::AuthLoginUser, "AUTH LOGIN");
    }
    return fail(smtp_error::kAuthenticationFailed, "The server offers no authentication method this program supports");
}

} // namespace tidecast::net
