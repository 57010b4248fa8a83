#pragma once

#include <string>

namespace tidecast::settings
{

// The in-memory settings record: loaded once at start-up, changed by the setup dialogs, written
// back once at shutdown. Passwords are held in plain text here and scrambled only in the file, or
// kept out of the file when the desktop keeps them in its keyring.
struct Settings
{
    // "Server Setup"
    std::string smtpServer;
    int smtpPort = 25;
    std::string smtpUsername;
    std::string smtpPassword;
    bool smtpAuthentication = false;
    std::string pop3Server;
    int pop3Port = 110;
    std::string pop3Username;
    std::string pop3Password;
    bool pop3Authentication = false;
    bool passwordsInKeyring = false;
    int timeout = 120; // seconds
    int bulkGroupSize = 25;
    std::string domain;
    bool safeDelete = false;
    std::string security = "auto"; // "auto", "starttls", "tls" or "none"
    std::string certificateAuthorityFile;
    int retryAttempts = 3;    // tries per recipient after a reply that may pass ("421", "451")
    int rateLimit = 0;        // messages per minute over all connections; 0: no limit
    int connections = 1;      // connections that mail side by side, 1 to 16
    std::string extraServers; // further relays, "host[:port]" separated by commas

    // "Client Setup"
    std::string emailAddress;
    std::string replyToAddress;
    std::string realName;
    std::string organisation;
    std::string signature; // CR LF line breaks
    std::string lastExportFolder;
    std::string lastImportFolder;
    std::string lastOpenFolder;
    std::string lastSaveFolder;
    std::string lastHtmlFolder;
    std::string lastImportFilterFolder;
    std::string lastImportLayoutFolder;
    std::string lastSendFilterFolder;
    std::string lastSendOptionsFolder;

    // "Message Setup"
    std::string characterSet = "iso-8859-1";
    std::string encoding = "print"; // "print" (quoted-printable), "base64" or "none"
    std::string htmlEncoding = "print";
    bool wrapping = true;
    int wrapWidth = 76;

    // "Editor Setup" of "ej.dat"
    std::string fontName = "Courier New";
    int fontSize = 8;
    bool fontBold = false;
    bool fontItalic = false;

    // "Editor Setup" of the file "Tidecast"
    std::string dictionary;
    bool ignoreUpperCase = false;
    bool ignoreMixedCase = false;
    bool ignoreNumbers = true;
    bool checkBeforeSending = false;

    // "Deliverability": one-click unsubscribe headers and DKIM signing; empty keys turn them off
    std::string unsubscribeMailto; // an address
    std::string unsubscribeUrl;    // an https URL that may hold merge macros
    std::string dkimDomain;
    std::string dkimSelector;
    std::string dkimKeyFile; // PEM private key, RSA of 2048 bits or more, or Ed25519

    // "Layout" (twips)
    int width = 7250;
    int height = 7630;
    int top = 0;
    int left = 0;
    int windowState = 1;
    bool groupsRecipientsView = true;
};

} // namespace tidecast::settings
