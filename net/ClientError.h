#pragma once

#include <string>

namespace tidecast::net
{

// An error the SMTP or POP3 client reports, with one of the numbers of SmtpErrors.h.
struct ClientError
{
    int number = 0;
    std::string description;
};

} // namespace tidecast::net
