#pragma once

#include "net/Security.h"
#include "net/SmtpReply.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::net
{

// What the server announced in its EHLO reply. Valid for one session only, and thrown away after
// STARTTLS because the announcement made in the clear cannot be trusted.
struct SmtpCapabilities
{
    bool extended = false; // EHLO was accepted
    bool startTls = false;
    bool pipelining = false;
    bool chunking = false; // BDAT
    bool eightBitMime = false;
    bool dsn = false;
    bool size = false;
    std::uint64_t maxSize = 0;               // 0: no limit announced
    std::vector<std::string> authMechanisms; // upper case

    static SmtpCapabilities fromEhloReply(const SmtpReply& reply);

    bool offersAuth(std::string_view mechanism) const;
};

} // namespace tidecast::net
