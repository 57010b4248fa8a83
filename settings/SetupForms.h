#pragma once

#include "common/Prompter.h"
#include "settings/Settings.h"
#include "settings/SettingsPaths.h"

#include <string>
#include <string_view>
#include <vector>

namespace tidecast::settings
{

// An entry of a setup list: what the person sees and what the settings keep.
struct Choice
{
    std::string_view shown;
    std::string_view stored;
};

// The character sets offered for outgoing mail, UTF-8 last.
const std::vector<Choice>& characterSetChoices();
// The entry for a stored character set; the first entry when none matches.
int characterSetIndex(std::string_view stored);

// The transfer encodings (text and HTML alike).
const std::vector<Choice>& encodingChoices();
int encodingIndex(std::string_view stored);

// How the connection to the mail server is secured ("Security").
const std::vector<Choice>& securityChoices();
int securityIndex(std::string_view stored);

// The time-out slider: 20 steps of 30 seconds, from 30 seconds to 10 minutes.
inline constexpr int kTimeoutSteps = 20;
inline constexpr int kTimeoutStepSeconds = 30;
inline constexpr int kDefaultTimeoutPosition = 9; // 5 minutes
int timeoutSeconds(int position);
std::string timeoutCaption(int position);
// The step of a stored time-out; a value that is not a step opens at 5 minutes.
int timeoutPosition(int seconds);

// The group split sizes offered, and the entry for a stored size ("25" when it is not offered).
const std::vector<std::string_view>& groupLetSizes();
std::string groupLetSizeChoice(int stored);

// Port fields take digits and backspace only; anything else gets this message.
inline constexpr std::string_view kNumbersOnly = "Numbers only please!";
bool isNumberKey(char32_t key);

inline constexpr std::string_view kDefaultSmtpPort = "25";
inline constexpr std::string_view kDefaultPop3Port = "110";

// The server set-up dialog's fields.
struct ServerSetupForm
{
    std::string server;
    std::string port;
    int timeoutPosition = kDefaultTimeoutPosition;
    std::string bulkGroupSize;
    bool smtpAuthentication = false;
    std::string smtpUsername;
    std::string smtpPassword;
    bool pop3Authentication = false;
    std::string pop3Server;
    std::string pop3Port;
    std::string pop3Username;
    std::string pop3Password;
    bool passwordsInKeyring = false;
    std::string security;
    std::string certificateAuthorityFile;
    int connections = 1;
    std::string extraServers;
    int rateLimit = 0;
    int retryAttempts = 3;
};

inline constexpr int kMaxConnections = 16;
inline constexpr int kMaxRetryAttempts = 10;

ServerSetupForm serverSetupForm(const Settings& settings);

// Where the dialog puts the focus after refusing OK.
enum class ServerSetupRefusal
{
    None,
    SmtpUsername,
    Pop3Server,
};

// OK of the server set-up: refuses incomplete authentication or POP3 details with their message
// and changes nothing; otherwise stores every field (an empty POP3 port becomes "110").
ServerSetupRefusal applyServerSetup(const ServerSetupForm& form, Settings& settings, Prompter& prompter);

// The message set-up dialog's fields, as list positions.
struct MessageSetupForm
{
    int characterSet = 0;
    int encoding = 0;
    int htmlEncoding = 0;
    int wrapWidth = 76;
};

MessageSetupForm messageSetupForm(const Settings& settings);
void applyMessageSetup(const MessageSetupForm& form, Settings& settings);

// The message set-up dialog's "Deliverability" page, as typed; empty fields turn the unsubscribe
// headers and signing off.
struct DeliverabilityForm
{
    std::string unsubscribeMailto;
    std::string unsubscribeUrl;
    std::string dkimDomain;
    std::string dkimSelector;
    std::string dkimKeyFile;
};

DeliverabilityForm deliverabilityForm(const Settings& settings);
// Stores the fields with blanks at either end removed: a pasted value often carries them.
void applyDeliverability(const DeliverabilityForm& form, Settings& settings);

// The spelling options dialog's file filter: Hunspell word lists (with their affix file beside).
inline constexpr std::string_view kDictionaryFilter = "Hunspell Dictionaries (*.dic)|*.dic|All Files (*.*)|*.*";

// Closing the welcome wizard, however it is closed: the three fields go into the record and, at
// once, into "ej.dat" together with the default port and the first-run mark.
void writeWelcomeSettings(const SettingsPaths& paths, Settings& settings, const std::string& server,
                          const std::string& emailAddress, const std::string& realName);

} // namespace tidecast::settings
