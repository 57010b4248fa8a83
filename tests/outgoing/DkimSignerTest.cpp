#include "outgoing/DkimSigner.h"

#include "common/Text.h"
#include "outgoing/DeliverabilityTexts.h"
#include "outgoing/MessageBuilder.h"
#include "support/MailTestSupport.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace tidecast;
using namespace tidecast::outgoing;

namespace
{

// Keys made once for all tests with the openssl tool.
class DkimKeys
{
public:
    static const DkimKeys& get()
    {
        static const DkimKeys keys;
        return keys;
    }

    std::string rsa() const { return (m_dir / "rsa.pem").string(); }
    std::string ed25519() const { return (m_dir / "ed25519.pem").string(); }
    std::string weakRsa() const { return (m_dir / "rsa1024.pem").string(); }
    const test::TempDir& dir() const { return m_dir; }

private:
    DkimKeys()
    {
        generate("-algorithm RSA -pkeyopt rsa_keygen_bits:2048", rsa());
        generate("-algorithm ED25519", ed25519());
        generate("-algorithm RSA -pkeyopt rsa_keygen_bits:1024", weakRsa());
    }

    static void generate(const std::string& options, const std::string& path)
    {
        const std::string command = "openssl genpkey " + options + " -out '" + path + "' 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }

    test::TempDir m_dir;
};

// What python3-dkim says of each message, verified against the record given to it.
std::vector<std::string> verify(const std::string& record, const std::vector<std::string>& messages)
{
    test::TempDir dir;
    std::string command = "/usr/bin/python3 '" + test::serverScript("verify_dkim.py").string() + "' '" + record + "'";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const auto path = dir / (std::to_string(i) + ".eml");
        std::ofstream(path, std::ios::binary) << messages[i];
        command += " '" + path.string() + "'";
    }
    std::vector<std::string> verdicts;
    for (const std::string& line : splitLines(test::commandOutput(command))) {
        verdicts.push_back(line.substr(0, line.find(' ')));
    }
    return verdicts;
}

store::RecipientRecord recipient()
{
    store::RecipientRecord record;
    record.set(store::RecipientField::EmailAddress, "jane@example.com");
    record.set(store::RecipientField::FirstName, "Jane");
    record.set(store::RecipientField::LastName, "Doe");
    return record;
}

// One message shape: what it changes in the settings and the message before building.
struct Shape
{
    const char* name;
    std::function<void(settings::Settings&, OutgoingMessage&, const test::TempDir&)> apply;
};

const std::vector<Shape>& shapes()
{
    static const std::vector<Shape> list = {
        {"plain with dots, blanks and empty lines at the end",
         [](auto&, auto& m, auto&) { m.body = ".hidden\r\n..two dots\r\nend  of\t line \r\n\r\n\r\n"; }},
        {"quoted-printable alternative",
         [](auto& s, auto& m, auto& d) {
             s.encoding = "print";
             s.htmlEncoding = "print";
             m.body = "Gr\xC3\xBC\xC3\x9F"
                      "e =\r\n";
             m.htmlPath = test::writeTestFile(d.path(), "page.html",
                                              "<p>Gr\xC3\xBC\xC3\x9F"
                                              "e !*FIRST_NAME*!</p>");
         }},
        {"base64 alternative",
         [](auto& s, auto& m, auto& d) {
             s.encoding = "base64";
             s.htmlEncoding = "base64";
             m.htmlPath = test::writeTestFile(d.path(), "page.html", "<p>Hello</p>");
         }},
        {"related with an inline image and an attachment",
         [](auto&, auto& m, auto& d) {
             test::writeTestFile(d.path(), "logo.gif", test::kOnePixelGif);
             m.htmlPath = test::writeTestFile(d.path(), "page.html", "<p>Hi</p><img src=\"logo.gif\">");
             m.attachments = {test::writeTestFile(d.path(), "terms.txt", "Terms\r\n")};
         }},
        {"long folded headers",
         [](auto&, auto& m, auto&) {
             m.subject = "A subject long enough to be folded over more than one line of the header, "
                         "with words and words and more words";
             m.identity.organisation = "An organisation whose name alone fills most of a header line";
         }},
        {"unsubscribe fields",
         [](auto& s, auto&, auto&) {
             s.unsubscribeMailto = "leave@news.sender.example";
             s.unsubscribeUrl = "https://sender.example/leave?e=!*EMAIL*!";
         }},
        {"bulk", [](auto&, auto& m, auto&) { m.mode = SendMode::Bulk; }},
    };
    return list;
}

class DkimSignerTest : public ::testing::Test
{
protected:
    DkimSignerTest()
    {
        settings.characterSet = "utf-8";
        settings.dkimDomain = "Sender.Example";
        settings.dkimSelector = "mail2026";
        message.identity.name = "Sender News";
        message.identity.address = "news@news.sender.example";
        message.subject = "Hello !*FIRST_NAME*!";
        message.body = "Dear !*FIRST_NAME*!,\r\nthe news.\r\n";
    }

    std::string build() { return test::buildMail(message, settings, recipient()); }

    settings::Settings settings;
    OutgoingMessage message;
};

} // namespace

TEST(DkimCanonicalisation, RelaxedHeaderAndBodyFollowTheRfcExamples)
{
    // RFC 6376 3.4.5.
    EXPECT_EQ(relaxedHeaderField("A", " X"), "a:X\r\n");
    EXPECT_EQ(relaxedHeaderField("B ", " Y\t\r\n\tZ  "), "b:Y Z\r\n");
    EXPECT_EQ(relaxedBody(" C \r\nD \t E\r\n\r\n\r\n"), " C\r\nD E\r\n");

    const std::vector<std::pair<std::string, std::string>> bodies = {
        {"", ""},
        {"\r\n\r\n", ""},
        {"no break at the end", "no break at the end\r\n"},
        {"a\r\n \t\r\nb", "a\r\n\r\nb\r\n"},
        {"\tindented\r\n", " indented\r\n"},
        {".dot\r\n", ".dot\r\n"},
    };
    for (const auto& [body, canonical] : bodies) {
        EXPECT_EQ(relaxedBody(body), canonical) << body;
    }
}

TEST_F(DkimSignerTest, EveryMessageShapeVerifiesAndAnAlteredHeaderFails)
{
    const auto& keys = DkimKeys::get();
    for (const auto& [key, algorithm] :
         {std::pair{keys.rsa(), "a=rsa-sha256"}, std::pair{keys.ed25519(), "a=ed25519-sha256"}}) {
        settings.dkimKeyFile = key;
        const auto signer = DkimSigner::create(settings);
        ASSERT_TRUE(signer) << signer.error().detail;
        std::vector<std::string> signedMessages;
        std::vector<std::string> altered;
        for (const Shape& shape : shapes()) {
            test::TempDir files;
            settings::Settings saved = settings;
            OutgoingMessage savedMessage = message;
            shape.apply(settings, message, files);
            const std::string text = build();
            settings = saved;
            message = savedMessage;
            ASSERT_TRUE(text.starts_with("DKIM-Signature: v=1; " + std::string(algorithm))) << shape.name << text;
            signedMessages.push_back(text);
            altered.push_back(
                replaceAll(text, "\r\nDate: ", "\r\nDate: Mon, 07 Dec 2026 00:00:00 +0000\r\nX-Old-Date: "));
        }
        EXPECT_EQ(verify(signer->dnsRecord(), signedMessages), std::vector<std::string>(shapes().size(), "pass"))
            << algorithm;
        EXPECT_EQ(verify(signer->dnsRecord(), altered), std::vector<std::string>(shapes().size(), "fail")) << algorithm;
    }
}

TEST_F(DkimSignerTest, SignsTheListedFieldsWithTheSettings)
{
    settings.dkimKeyFile = DkimKeys::get().ed25519();
    settings.unsubscribeUrl = "https://sender.example/leave";
    const std::string text = build();
    const std::string field = text.substr(0, text.find("\r\nFrom: "));
    EXPECT_TRUE(field.starts_with("DKIM-Signature: v=1; a=ed25519-sha256; c=relaxed/relaxed; d=sender.example;\r\n"
                                  "\ts=mail2026; t=1796566333; h=from:to:subject:date:message-id:mime-version\r\n"
                                  "\t:content-type:list-unsubscribe:list-unsubscribe-post;\r\n"
                                  "\tbh="))
        << field;
    for (const std::string& line : splitLines(text)) {
        EXPECT_LE(line.size(), 78U) << line;
    }
}

TEST_F(DkimSignerTest, UnusableSettingsAreRefusedWithWhatToFix)
{
    const auto& keys = DkimKeys::get();
    const std::string notAKey = test::writeTestFile(keys.dir().path(), "not-a-key.pem", "hello\n");
    const std::string missing = (keys.dir() / "missing.pem").string();
    struct Case
    {
        std::string domain;
        std::string selector;
        std::string key;
        std::string from;
        std::string text; // empty: accepted
    };
    const std::vector<Case> cases = {
        {"sender.example", "", keys.rsa(), "a@sender.example", std::string(text::kDkimIncomplete)},
        {"", "s", keys.rsa(), "a@sender.example", std::string(text::kDkimIncomplete)},
        {"sender.example", "s", missing, "a@sender.example", text::dkimKeyUnreadable(missing)},
        {"sender.example", "s", notAKey, "a@sender.example", text::dkimKeyUnreadable(notAKey)},
        {"sender.example", "s", keys.weakRsa(), "a@sender.example", text::dkimKeyUnsupported(keys.weakRsa())},
        {"sender.example", "s", keys.rsa(), "a@other.example",
         text::dkimDomainMismatch("a@other.example", "sender.example")},
        {"sender.example", "s", keys.rsa(), "a@badsender.example",
         text::dkimDomainMismatch("a@badsender.example", "sender.example")},
        {"sender.example.", "s", keys.rsa(), "a@SENDER.example", ""},
        {"sender.example", "s", keys.ed25519(), "a@deep.news.sender.example", ""},
    };
    for (const Case& c : cases) {
        settings.dkimDomain = c.domain;
        settings.dkimSelector = c.selector;
        settings.dkimKeyFile = c.key;
        message.identity.address = c.from;
        FixedClock clock{test::kMailDate};
        SequenceIdSource ids;
        const auto made = MessageBuilder::create(message, settings, clock, ids);
        EXPECT_EQ(made ? std::string() : made.error().detail, c.text) << c.domain << ' ' << c.key << ' ' << c.from;
    }
    // Without any of the three keys nothing is signed.
    settings = {};
    EXPECT_FALSE(DkimSigner::isConfigured(settings));
    EXPECT_TRUE(build().starts_with("From: "));
}
