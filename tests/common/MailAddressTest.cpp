#include "common/MailAddress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tidecast
{
namespace
{

TEST(MailAddress, AcceptsMailboxesAndRefusesEverythingElse)
{
    const std::string local64(64, 'a');
    const std::string label63(63, 'b');
    // 64 + 1 + 63 + 1 + 63 + 1 + 61 = 254
    const std::string longest = local64 + "@" + label63 + "." + label63 + "." + std::string(61, 'c');
    const auto valid = std::vector<std::string>({"ann@example.org", "first.last+tag@sub.example.co.uk",
                                                 "o'brien!#$%&*/=?^_`{|}~-@x.test", "\"john..doe\"@example.org",
                                                 "\"quoted\\\"quote\"@example.org", "user@[192.0.2.1]",
                                                 "user@[IPv6:2001:db8::1]", "postmaster@localhost", longest});
    const std::string longLocal = local64 + "a@example.org";
    const std::string longLabel = "a@" + std::string(64, 'd') + ".org";
    const std::string tooLong = longest + "c";
    const std::string injected = "ann@example.org\r\nRCPT TO:<b@c.org";
    // Refused as a whole: quoting, lengths, missing parts, brackets, blanks and line breaks.
    auto invalid = std::vector<std::string>(
        {"\"john doe\"@example.org", "\"x> NOTIFY=SUCCESS\"@example.org", tooLong, longLocal, longLabel, "",
         "@example.org", "ann@", "ann", "ann@@example.org", "x@y.org> NOTIFY=SUCCESS", "x@y.org>", "<x@y.org>",
         "ann smith@example.org", " ann@example.org", "ann@example.org ", injected});
    // Refused for one part: dots, hyphens, underscores, address literals, quotes, letters beyond ASCII.
    const auto badParts = std::vector<std::string>(
        {"ann..smith@example.org", ".ann@example.org", "ann.@example.org", "ann@example..org", "ann@-example.org",
         "ann@example-.org", "ann@example.org.", "ann@exa_mple.org", "ann@[192.0.2.256]", "ann@[192.0.2]",
         "\"unterminated@example.org", "\"a\"b\"@example.org", "j\xC3\xB6rg@example.org"});
    invalid.insert(invalid.end(), badParts.begin(), badParts.end());
    for (const auto& address : valid) {
        EXPECT_TRUE(isValidMailbox(address)) << address;
    }
    for (const auto& address : invalid) {
        EXPECT_FALSE(isValidMailbox(address)) << address;
    }
}

TEST(MailAddress, PrintableFormHidesControlCharacters)
{
    EXPECT_EQ(printableAddress("a@b.org\r\nRCPT TO:<c@d.org>"), "a@b.org??RCPT TO:<c@d.org>");
    EXPECT_EQ(printableAddress("plain@example.org"), "plain@example.org");
}

} // namespace
} // namespace tidecast
