// What mail servers send: SMTP replies (fed in two pieces, split where the first byte says) and
// POP3 status lines.
#include "net/PopLogin.h"
#include "net/SmtpReply.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % bytes.size();
    tidecast::net::SmtpReplyParser parser;
    parser.feed(bytes.substr(0, split));
    parser.feed(bytes.substr(split));
    for (int replies = 0; replies < 10000; ++replies) {
        const auto reply = parser.next();
        if (!reply || reply->code < 0) {
            break;
        }
        if (reply->code < 100 || reply->code > 999) {
            std::abort();
        }
        (void)reply->text();
    }
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        tidecast::net::PopReply reply;
        (void)tidecast::net::parsePopStatus(bytes.substr(0, end), reply);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    return 0;
}
