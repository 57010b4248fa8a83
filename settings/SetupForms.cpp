#include "settings/SetupForms.h"

#include "common/Text.h"
#include "settings/SettingsStore.h"

#include <algorithm>

namespace tidecast::settings
{

namespace
{

int indexOf(const std::vector<Choice>& choices, std::string_view stored, int fallback)
{
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].stored == stored) {
            return static_cast<int>(i);
        }
    }
    return fallback;
}

std::string_view storedAt(const std::vector<Choice>& choices, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) {
        return choices.front().stored;
    }
    return choices[static_cast<std::size_t>(index)].stored;
}

} // namespace

const std::vector<Choice>& characterSetChoices()
{
    static const std::vector<Choice> choices = {
        {"Western European/Americas (ISO-8859-1)", "iso-8859-1"},
        {"Central European  (ISO-8859-2)", "iso-8859-2"},
        {"Turkish (ISO-8859-3)", "iso-8859-3"},
        {"Baltic (ISO-8859-4)", "iso-8859-4"},
        {"Cyrillic (ISO-8859-5)", "iso-8859-5"},
        {"Cyrillic (KO18-R)", "ko18-r"},
        {"Cyrillic (KO18-U)", "ko18-u"},
        {"Arabic (ISO-8859-6 - Non-accented)", "iso-8859-6"},
        {"Modern Greek (ISO-8859-7)", "iso-8859-7"},
        {"Hebrew (ISO-8859-8 - Non-accented)", "iso-8859-8"},
        {"Latin 5 (ISO-8859-9)", "iso-8859-9"},
        {"Latin 6 (ISO-8859-10 - Improved version of Latin 4)", "iso-8859-10"},
        {"Unicode (UTF-8)", "utf-8"},
    };
    return choices;
}

int characterSetIndex(std::string_view stored)
{
    return indexOf(characterSetChoices(), stored, 0);
}

const std::vector<Choice>& encodingChoices()
{
    static const std::vector<Choice> choices = {
        {"None", "none"},
        {"Printed Quotable", "print"},
        {"Base 64", "base64"},
    };
    return choices;
}

int encodingIndex(std::string_view stored)
{
    return indexOf(encodingChoices(), stored, 0);
}

const std::vector<Choice>& securityChoices()
{
    static const std::vector<Choice> choices = {
        {"Automatic (TLS on port 465, else STARTTLS when offered)", "auto"},
        {"STARTTLS (required)", "starttls"},
        {"TLS from the start", "tls"},
        {"None (unencrypted)", "none"},
    };
    return choices;
}

int securityIndex(std::string_view stored)
{
    return indexOf(securityChoices(), stored, 0);
}

int timeoutSeconds(int position)
{
    return kTimeoutStepSeconds * (std::clamp(position, 0, kTimeoutSteps - 1) + 1);
}

std::string timeoutCaption(int position)
{
    const int seconds = timeoutSeconds(position);
    const int minutes = seconds / 60;
    const bool half = seconds % 60 != 0;
    if (minutes == 0) {
        return "30 Seconds";
    }
    if (minutes == 1) {
        return half ? "1 minute 30 Seconds" : "1 Minute";
    }
    return std::to_string(minutes) + (half ? " Minutes 30 Seconds" : " Minutes");
}

int timeoutPosition(int seconds)
{
    if (seconds % kTimeoutStepSeconds != 0 || seconds < kTimeoutStepSeconds ||
        seconds > kTimeoutStepSeconds * kTimeoutSteps) {
        return kDefaultTimeoutPosition;
    }
    return seconds / kTimeoutStepSeconds - 1;
}

const std::vector<std::string_view>& groupLetSizes()
{
    static const std::vector<std::string_view> sizes = {"5", "10", "15", "20", "25", "50", "75", "100"};
    return sizes;
}

std::string groupLetSizeChoice(int stored)
{
    const std::string text = std::to_string(stored);
    const auto& sizes = groupLetSizes();
    return std::find(sizes.begin(), sizes.end(), text) != sizes.end() ? text : std::string("25");
}

bool isNumberKey(char32_t key)
{
    return (key >= U'0' && key <= U'9') || key == U'\b';
}

ServerSetupForm serverSetupForm(const Settings& settings)
{
    ServerSetupForm form;
    form.server = settings.smtpServer;
    form.port = settings.smtpPort > 0 ? std::to_string(settings.smtpPort) : std::string(kDefaultSmtpPort);
    form.timeoutPosition = timeoutPosition(settings.timeout);
    form.bulkGroupSize = groupLetSizeChoice(settings.bulkGroupSize);
    form.smtpAuthentication = settings.smtpAuthentication;
    form.smtpUsername = settings.smtpUsername;
    form.smtpPassword = settings.smtpPassword;
    form.pop3Authentication = settings.pop3Authentication;
    form.pop3Server = settings.pop3Server;
    form.pop3Port = settings.pop3Port > 0 ? std::to_string(settings.pop3Port) : std::string();
    form.pop3Username = settings.pop3Username;
    form.pop3Password = settings.pop3Password;
    form.passwordsInKeyring = settings.passwordsInKeyring;
    form.security = std::string(storedAt(securityChoices(), securityIndex(settings.security)));
    form.certificateAuthorityFile = settings.certificateAuthorityFile;
    form.connections = settings.connections;
    form.extraServers = settings.extraServers;
    form.rateLimit = settings.rateLimit;
    form.retryAttempts = settings.retryAttempts;
    return form;
}

ServerSetupRefusal applyServerSetup(const ServerSetupForm& form, Settings& settings, Prompter& prompter)
{
    if (form.smtpAuthentication && (form.smtpUsername.empty() || form.smtpPassword.empty())) {
        prompter.message("Please enter your SMTP Authentication details first.", Icon::Critical);
        return ServerSetupRefusal::SmtpUsername;
    }
    const std::string pop3Port = form.pop3Port.empty() ? std::string(kDefaultPop3Port) : form.pop3Port;
    if (form.pop3Authentication &&
        (form.pop3Server.empty() || form.pop3Username.empty() || form.pop3Password.empty())) {
        prompter.message("Please enter your POP3 Account details first.", Icon::Critical);
        return ServerSetupRefusal::Pop3Server;
    }
    settings.smtpServer = form.server;
    settings.smtpPort = parseNumber(form.port, 25);
    settings.timeout = timeoutSeconds(form.timeoutPosition);
    settings.bulkGroupSize = parseNumber(form.bulkGroupSize, 25);
    settings.smtpAuthentication = form.smtpAuthentication;
    settings.smtpUsername = form.smtpUsername;
    settings.smtpPassword = form.smtpPassword;
    settings.pop3Authentication = form.pop3Authentication;
    settings.pop3Server = form.pop3Server;
    settings.pop3Port = parseNumber(pop3Port, 110);
    settings.pop3Username = form.pop3Username;
    settings.pop3Password = form.pop3Password;
    settings.passwordsInKeyring = form.passwordsInKeyring;
    settings.security = std::string(storedAt(securityChoices(), securityIndex(form.security)));
    settings.certificateAuthorityFile = form.certificateAuthorityFile;
    settings.connections = std::clamp(form.connections, 1, kMaxConnections);
    settings.extraServers = form.extraServers;
    settings.rateLimit = std::max(form.rateLimit, 0);
    settings.retryAttempts = std::clamp(form.retryAttempts, 1, kMaxRetryAttempts);
    return ServerSetupRefusal::None;
}

MessageSetupForm messageSetupForm(const Settings& settings)
{
    return {characterSetIndex(settings.characterSet), encodingIndex(settings.encoding),
            encodingIndex(settings.htmlEncoding), settings.wrapWidth};
}

void applyMessageSetup(const MessageSetupForm& form, Settings& settings)
{
    settings.characterSet = std::string(storedAt(characterSetChoices(), form.characterSet));
    settings.encoding = std::string(storedAt(encodingChoices(), form.encoding));
    settings.htmlEncoding = std::string(storedAt(encodingChoices(), form.htmlEncoding));
    settings.wrapWidth = form.wrapWidth;
}

DeliverabilityForm deliverabilityForm(const Settings& settings)
{
    return {settings.unsubscribeMailto, settings.unsubscribeUrl, settings.dkimDomain, settings.dkimSelector,
            settings.dkimKeyFile};
}

void applyDeliverability(const DeliverabilityForm& form, Settings& settings)
{
    settings.unsubscribeMailto = std::string(trimWhitespace(form.unsubscribeMailto));
    settings.unsubscribeUrl = std::string(trimWhitespace(form.unsubscribeUrl));
    settings.dkimDomain = std::string(trimWhitespace(form.dkimDomain));
    settings.dkimSelector = std::string(trimWhitespace(form.dkimSelector));
    settings.dkimKeyFile = std::string(trimWhitespace(form.dkimKeyFile));
}

void writeWelcomeSettings(const SettingsPaths& paths, Settings& settings, const std::string& server,
                          const std::string& emailAddress, const std::string& realName)
{
    settings.smtpServer = server;
    settings.emailAddress = emailAddress;
    settings.realName = realName;
    const auto file = paths.settingsFile();
    writeValue(file, "Server Setup", "SMTP Server", server);
    writeValue(file, "Server Setup", "SMTP Port", kDefaultSmtpPort);
    writeValue(file, "Client Setup", "Email Address", emailAddress);
    writeValue(file, "Client Setup", "Real Name", realName);
    writeValue(file, "Startup", "Welcome", "-1");
}

} // namespace tidecast::settings
