#pragma once

#include "common/Result.h"
#include "settings/Settings.h"

#include <string>

namespace tidecast::ui
{

// The desktop's secret store (Secret Service), for the SMTP and POP3 passwords, so that they
// need not sit in the settings file. Every call waits for the keyring's answer.
class PasswordKeyring
{
public:
    // `service` names the entries; tests pass their own to stay apart from the user's.
    explicit PasswordKeyring(std::string service = "Tidecast");

    [[nodiscard]] Result<std::string> read(const std::string& account) const;
    [[nodiscard]] Result<void> write(const std::string& account, const std::string& secret) const;

    // Puts the passwords of `settings` in the keyring, or an empty password's entry out of it.
    [[nodiscard]] Result<void> keepPasswords(const settings::Settings& settings) const;
    // Fills the passwords of `settings` from the keyring; a missing entry leaves a password empty.
    [[nodiscard]] Result<void> fillPasswords(settings::Settings& settings) const;

private:
    std::string m_service;
};

// The keyring entry of each password: the protocol, the user name and the server.
std::string smtpAccount(const settings::Settings& settings);
std::string pop3Account(const settings::Settings& settings);

} // namespace tidecast::ui
