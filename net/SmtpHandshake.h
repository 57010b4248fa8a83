#pragma once

#include "net/SmtpCapabilities.h"
#include "net/SmtpReply.h"

#include <string>

namespace tidecast::net
{

struct HandshakeSettings
{
    std::string heloDomain;
    Security security = Security::Auto;
    bool tlsActive = false; // TLS already runs (implicit TLS)
    bool authenticate = false;
    std::string username;
    std::string password;
};

// The opening of an SMTP session, from the greeting to an authenticated, possibly encrypted
// session: greeting, EHLO (HELO when EHLO is refused), STARTTLS, EHLO again, AUTH. It only decides
// what to send next; the caller does the I/O, including the TLS handshake it is asked for.
class SmtpHandshake
{
public:
    enum class Action
    {
        Send,     // write `command`, then feed the next reply
        StartTls, // run the TLS handshake, then call onTlsStarted()
        Done,     // the session is established
        Failed,   // see errorNumber() and errorText(); the caller closes the connection
    };

    struct Step
    {
        Action action = Action::Send;
        std::string command; // with CR LF; may carry credentials, so it is never logged
    };

    explicit SmtpHandshake(HandshakeSettings settings);

    // The first reply fed is the greeting.
    Step onReply(const SmtpReply& reply);
    Step onTlsStarted();

    const SmtpCapabilities& capabilities() const { return m_capabilities; }
    // The reply that ended the handshake: what "the server said" to the connection attempt.
    const SmtpReply& lastReply() const { return m_lastReply; }
    bool isEncrypted() const { return m_settings.tlsActive; }
    int errorNumber() const { return m_errorNumber; }
    const std::string& errorText() const { return m_errorText; }

private:
    enum class State
    {
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        AuthPlain,
        AuthLoginUser,
        AuthLoginPassword,
        AuthCramMd5,
        AuthResult,
        Done,
        Failed,
    };

    Step afterHello();
    Step fail(int number, std::string text);
    Step send(State next, std::string command);

    HandshakeSettings m_settings;
    State m_state = State::Greeting;
    SmtpCapabilities m_capabilities;
    SmtpReply m_lastReply;
    int m_errorNumber = 0;
    std::string m_errorText;
};

// Replaces CR and LF with blanks so that a value can never start a second command line.
std::string sanitizeCommandArgument(std::string_view value);

} // namespace tidecast::net
