#include "outgoing/UnsubscribeHeaders.h"

#include "outgoing/DeliverabilityTexts.h"
#include "outgoing/MessageBuilder.h"
#include "support/MailTestSupport.h"
#include "support/ParsedMail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tidecast;
using namespace tidecast::outgoing;

namespace
{

struct Case
{
    const char* name;
    SendMode mode;
    std::string mailto;
    std::string url;
    std::string listUnsubscribe; // as Python's email package reads it; "<missing ...>" when absent
    std::string post;
};

store::RecipientRecord recipient()
{
    store::RecipientRecord record;
    record.set(store::RecipientField::EmailAddress, "jane+news@example.com");
    record.set(store::RecipientField::FirstName, "Jane");
    record.set(store::RecipientField::City, "Z\xC3\xBCrich & Co/1");
    return record;
}

std::string buildWith(const settings::Settings& settings, SendMode mode)
{
    OutgoingMessage message;
    message.identity.address = "news@sender.example";
    message.subject = "Hello";
    message.body = "Text\r\n";
    message.mode = mode;
    return test::buildMail(message, settings, recipient());
}

} // namespace

TEST(UnsubscribeHeaders, CarryTheMailtoAndTheMergedPercentEncodedUrl)
{
    const std::string missingPost = "<missing header.List-Unsubscribe-Post>";
    const std::vector<Case> cases = {
        {"nothing set", SendMode::Personal, "", "", "<missing header.List-Unsubscribe>", missingPost},
        {"mailto only", SendMode::Personal, " leave@sender.example ", "", "<mailto:leave@sender.example>", missingPost},
        {"url only, bulk", SendMode::Bulk, "", "https://sender.example/leave?list=7",
         "<https://sender.example/leave?list=7>", "List-Unsubscribe=One-Click"},
        {"both, merged", SendMode::Personal, "leave@sender.example",
         "https://sender.example/u?e=!*EMAIL*!&c=!*CITY*!&n=!*FIRST_NAME*!",
         "<mailto:leave@sender.example>, "
         "<https://sender.example/u?e=jane%2Bnews%40example.com&c=Z%C3%BCrich%20%26%20Co%2F1&n=Jane>",
         "List-Unsubscribe=One-Click"},
        {"typed text made safe for the header", SendMode::Personal, "", "HTTPS://sender.example/a b\"<>?x=%41",
         "<HTTPS://sender.example/a%20b%22%3C%3E?x=%41>", "List-Unsubscribe=One-Click"},
    };
    for (const Case& c : cases) {
        settings::Settings settings;
        settings.unsubscribeMailto = c.mailto;
        settings.unsubscribeUrl = c.url;
        const auto mail = test::ParsedMail::parse(buildWith(settings, c.mode));
        EXPECT_EQ(mail["defects"], "") << c.name;
        EXPECT_EQ(mail["header.List-Unsubscribe"], c.listUnsubscribe) << c.name;
        EXPECT_EQ(mail["header.List-Unsubscribe-Post"], c.post) << c.name;
    }
}

TEST(UnsubscribeHeaders, LongValuesAreFoldedAndReadBackWhole)
{
    settings::Settings settings;
    settings.unsubscribeMailto = "unsubscribe-from-the-weekly-newsletter@mailing-lists.sender.example";
    settings.unsubscribeUrl = "https://unsubscribe.sender.example/lists/weekly/leave?address=!*EMAIL*!";
    const std::string text = buildWith(settings, SendMode::Personal);
    EXPECT_NE(text.find("List-Unsubscribe: <mailto:unsubscribe-from-the-weekly-newsletter@mailing-lists.sender."
                        "example>,\r\n <https://"),
              std::string::npos)
        << text;
    const auto mail = test::ParsedMail::parse(text);
    EXPECT_EQ(mail["header.List-Unsubscribe"],
              "<mailto:unsubscribe-from-the-weekly-newsletter@mailing-lists.sender.example>, "
              "<https://unsubscribe.sender.example/lists/weekly/leave?address=jane%2Bnews%40example.com>");
}

TEST(UnsubscribeHeaders, UnusableSettingsAreRefusedBeforeTheFirstMessage)
{
    struct Refusal
    {
        SendMode mode;
        std::string mailto;
        std::string url;
        std::string_view text;
    };
    for (const Refusal& r : std::vector<Refusal>{
             {SendMode::Bulk, "", "https://sender.example/u?e=!*EMAIL*!", text::kBulkUnsubscribeRefused},
             {SendMode::Personal, "", "http://sender.example/u", text::kUnsubscribeUrlNotHttps},
             {SendMode::Personal, "", "https://", text::kUnsubscribeUrlNotHttps},
             {SendMode::Personal, "a@b.example, c@d.example", "", text::kUnsubscribeMailtoInvalid},
             {SendMode::Personal, "nobody", "", text::kUnsubscribeMailtoInvalid},
         }) {
        settings::Settings settings;
        settings.unsubscribeMailto = r.mailto;
        settings.unsubscribeUrl = r.url;
        const auto refused = UnsubscribeHeaders::create(settings, r.mode);
        ASSERT_FALSE(refused) << r.url << r.mailto;
        EXPECT_EQ(refused.error().detail, r.text);
        EXPECT_EQ(refused.error().code, ErrorCode::InvalidArgument);
    }
    // The same URL is fine in personal mode, where every recipient gets their own.
    settings::Settings settings;
    settings.unsubscribeUrl = "https://sender.example/u?e=!*EMAIL*!";
    EXPECT_TRUE(UnsubscribeHeaders::create(settings, SendMode::Personal));
}
