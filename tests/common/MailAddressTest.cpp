#include "common/MailAddress.h"

#include <gtest/gtest.h>

#include <string>

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
    struct Case
    {
        std::string address;
        bool valid;
    };
    const Case cases[] = {
        {"ann@example.org", true},
        {"first.last+tag@sub.example.co.uk", true},
        {"o'brien!#$%&*/=?^_`{|}~-@x.test", true},
        {"\"john..doe\"@example.org", true},
        {"\"quoted\\\"quote\"@example.org", true},
        {"\"john doe\"@example.org", false},
        {"\"x> NOTIFY=SUCCESS\"@example.org", false},
        {"user@[192.0.2.1]", true},
        {"user@[IPv6:2001:db8::1]", true},
        {"postmaster@localhost", true},
        {longest, true},
        {longest + "c", false},
        {local64 + "a@example.org", false},
        {"a@" + std::string(64, 'd') + ".org", false},
        {"", false},
        {"@example.org", false},
        {"ann@", false},
        {"ann", false},
        {"ann@@example.org", false},
        {"x@y.org> NOTIFY=SUCCESS", false},
        {"x@y.org>", false},
        {"<x@y.org>", false},
        {"ann smith@example.org", false},
        {" ann@example.org", false},
        {"ann@example.org ", false},
        {"ann@example.org\r\nRCPT TO:<b@c.org", false},
        {"ann..smith@example.org", false},
        {".ann@example.org", false},
        {"ann.@example.org", false},
        {"ann@example..org", false},
        {"ann@-example.org", false},
        {"ann@example-.org", false},
        {"ann@example.org.", false},
        {"ann@exa_mple.org", false},
        {"ann@[192.0.2.256]", false},
        {"ann@[192.0.2]", false},
        {"\"unterminated@example.org", false},
        {"\"a\"b\"@example.org", false},
        {"j\xC3\xB6rg@example.org", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidMailbox(c.address), c.valid) << c.address;
    }
}

TEST(MailAddress, PrintableFormHidesControlCharacters)
{
    EXPECT_EQ(printableAddress("a@b.org\r\nRCPT TO:<c@d.org>"), "a@b.org??RCPT TO:<c@d.org>");
    EXPECT_EQ(printableAddress("plain@example.org"), "plain@example.org");
}

} // namespace
} // namespace tidecast
