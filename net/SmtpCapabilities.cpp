#include "net/SmtpCapabilities.h"

#include "common/Text.h"

#include <algorithm>
#include <charconv>

namespace tidecast::net
{

namespace
{

std::vector<std::string> splitWords(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto start = text.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) {
            break;
        }
        auto end = text.find_first_of(" \t", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        words.push_back(toUpperAscii(text.substr(start, end - start)));
        pos = end;
    }
    return words;
}

} // namespace

SmtpCapabilities SmtpCapabilities::fromEhloReply(const SmtpReply& reply)
{
    SmtpCapabilities caps;
    caps.extended = reply.code == 250;
    // The first line is the server's greeting to us; each further line names one extension.
    for (std::size_t i = 1; i < reply.lines.size(); ++i) {
        const auto words = splitWords(reply.lines[i]);
        if (words.empty()) {
            continue;
        }
        const auto& keyword = words.front();
        if (keyword == "STARTTLS") {
            caps.startTls = true;
        } else if (keyword == "PIPELINING") {
            caps.pipelining = true;
        } else if (keyword == "CHUNKING") {
            caps.chunking = true;
        } else if (keyword == "8BITMIME") {
            caps.eightBitMime = true;
        } else if (keyword == "DSN") {
            caps.dsn = true;
        } else if (keyword == "SIZE") {
            caps.size = true;
            if (words.size() > 1) {
                std::uint64_t value = 0;
                const auto& arg = words[1];
                if (std::from_chars(arg.data(), arg.data() + arg.size(), value).ec == std::errc()) {
                    caps.maxSize = value;
                }
            }
        } else if (keyword == "AUTH" || keyword.rfind("AUTH=", 0) == 0) {
            // Some old servers announce "AUTH=LOGIN PLAIN"; the mechanisms follow either way.
            std::vector<std::string> mechanisms(words.begin() + 1, words.end());
            if (keyword.size() > 5) {
                mechanisms.push_back(keyword.substr(5));
            }
            for (auto& mechanism : mechanisms) {
                if (std::find(caps.authMechanisms.begin(), caps.authMechanisms.end(), mechanism) ==
                    caps.authMechanisms.end()) {
                    caps.authMechanisms.push_back(mechanism);
                }
            }
        }
    }
    return caps;
}

bool SmtpCapabilities::offersAuth(std::string_view mechanism) const
{
    return std::find(authMechanisms.begin(), authMechanisms.end(), mechanism) != authMechanisms.end();
}

} // namespace tidecast::net
