#pragma once

#include "net/Security.h"

#include <string>
#include <string_view>
#include <vector>

namespace tidecast::net
{

// One POP3 status line: "+OK text" or "-ERR text".
struct PopReply
{
    bool ok = false;
    std::string text;
    std::vector<std::string> body; // the lines of a multi-line answer (CAPA), without the final "."
};

// False when the line is neither "+OK" nor "-ERR".
bool parsePopStatus(std::string_view line, PopReply& reply);

struct PopLoginSettings
{
    Security security = Security::Auto;
    bool tlsActive = false;
    std::string username;
    std::string password;
};

// The POP3 log-in before sending: greeting, CAPA, STLS, USER, PASS, STAT. Like SmtpHandshake it
// only decides what to send; the caller does the I/O and the TLS handshake.
class PopLogin
{
public:
    enum class Action
    {
        Send,     // write `command`, then feed the answer (multi-line when `multiLine` is set)
        StartTls, // run the TLS handshake, then call onTlsStarted()
        Done,     // logged in; messageCount() is known
        Failed,
    };

    struct Step
    {
        Action action = Action::Send;
        std::string command; // with CR LF; may carry the password, so it is never logged
        bool multiLine = false;
    };

    explicit PopLogin(PopLoginSettings settings);

    Step onReply(const PopReply& reply); // the first reply fed is the greeting
    Step onTlsStarted();

    int messageCount() const { return m_messageCount; }
    int errorNumber() const { return m_errorNumber; }
    const std::string& errorText() const { return m_errorText; }

private:
    enum class State
    {
        Greeting,
        Capa,
        Stls,
        User,
        Pass,
        Stat,
        Done,
        Failed,
    };

    Step authenticate();
    Step fail(int number, std::string text);
    Step send(State next, std::string command, bool multiLine = false);

    PopLoginSettings m_settings;
    State m_state = State::Greeting;
    int m_messageCount = 0;
    int m_errorNumber = 0;
    std::string m_errorText;
};

} // namespace tidecast::net
