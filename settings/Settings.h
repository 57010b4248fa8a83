#pragma once

#include <string>

namespace tidecast::settings
{

// The in-memory settings record: loaded once at start-up, changed by the setup dialogs, written
// back once at shutdown. Passwords are held in plain text here and scrambled only in the file.
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
    int timeout = 120; // seconds
    int groupLetSize = 25;
    std::string domain;
    bool dbSafeDelete = false;
    std::string security = "auto"; // "auto", "starttls", "tls" or "none"
    std::string caFile;

    // "Client Setup"
    std::string emailAddress;
    std::string replyToAddress;
    std::string realName;
    std::string organisation;
    std::string signature; // CR LF line breaks
    std::string lastExportDir;
    std::string lastImportDir;
    std::string lastOpenDir;
    std::string lastSaveDir;
    std::string lastHtmlDir;
    std::string lastIFilterDir;
    std::string lastILayoutDir;
    std::string lastSFilterDir;
    std::string lastAEDir;

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

    // "Layout" (twips)
    int width = 7250;
    int height = 7630;
    int top = 0;
    int left = 0;
    int winState = 1;
    bool grView = true;
};

} // namespace tidecast::settings
