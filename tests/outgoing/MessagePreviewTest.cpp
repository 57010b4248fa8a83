#include "outgoing/MessagePreview.h"

#include "common/Progress.h"
#include "outgoing/DeliverabilityTexts.h"
#include "outgoing/MessageBuilder.h"
#include "support/MailTestSupport.h"
#include "support/SendTestSupport.h"
#include "support/SequenceIdSource.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace tidecast::outgoing
{
namespace
{

using ::testing::ElementsAre;

class MessagePreviewTest : public ::testing::Test
{
protected:
    MessagePreviewTest()
    {
        store::RecipientStore group;
        store::defineRecipientLayout(group);
        EXPECT_EQ(group.createFile(dir / "Friends.gdb"), 0);
        EXPECT_TRUE(group.open(dir / "Friends.gdb"));
        const std::vector<std::array<std::string, 4>> rows = {
            {"ann@example.test", "Ann", "Lee", ""},
            {"nobody@example.test", "", "", (dir / "two.txt").string()},
        };
        for (const auto& [address, first, last, field2] : rows) {
            EXPECT_TRUE(group.addNew());
            store::RecipientRecord record;
            record.set(store::RecipientField::EmailAddress, address);
            record.set(store::RecipientField::FirstName, first);
            record.set(store::RecipientField::LastName, last);
            record.set(store::RecipientField::Field1, (dir / "one.txt").string());
            record.set(store::RecipientField::Field2, field2);
            store::writeRecipient(group, record);
        }
        EXPECT_TRUE(group.close());
        writeWholeFile(dir / "one.txt", "1");
        writeWholeFile(dir / "two.txt", "2");
        writeWholeFile(dir / "page.html", "<p>Dear !*FIRST_NAME*!</p>");

        message.identity.address = "me@example.test";
        message.identity.signature = "Me";
        message.subject = "For !*FIRST_NAME*!";
        message.body = "Hello !*EMAIL*!";
        message.htmlPath = (dir / "page.html").string();
        message.attachments = {(dir / "one.txt").string(), (dir / "missing.txt").string()};
        message.bulkToText = "All friends";
        message.customAttachments = true;
        message.attachField = {false, true, false, false};
    }

    MessagePreview makePreview(std::size_t wrapWidth = 76) const
    {
        return MessagePreview(message, "Friends", wrapWidth, dir.path());
    }

    tidecast::test::TempDir dir;
    OutgoingMessage message;
};

// The file names in the order the message attaches them.
std::vector<std::string> attachedNames(const std::string& text)
{
    std::vector<std::string> names;
    const std::string marker = "Content-Disposition: attachment; filename=\"";
    for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
        const auto start = at + marker.size();
        names.push_back(text.substr(start, text.find('"', start) - start));
    }
    return names;
}

TEST_F(MessagePreviewTest, PersonalModeMergesEachRecipientAndWalksTheGroup)
{
    auto preview = makePreview();
    preview.open();

    EXPECT_EQ(preview.senderLabel(), "me@example.test");
    EXPECT_EQ(preview.recipientLabel(), "Ann Lee");
    EXPECT_EQ(preview.subject(), "For Ann");
    EXPECT_EQ(preview.body(), "Hello ann@example.test\r\n\r\nMe");
    EXPECT_THAT(preview.attachments(), ElementsAre((dir / "one.txt").string()));
    EXPECT_FALSE(preview.canViewPrevious());
    EXPECT_TRUE(preview.canViewNext());

    preview.viewNext();
    EXPECT_EQ(preview.recipientLabel(), "nobody@example.test"); // no name: the address
    EXPECT_FALSE(preview.canViewNext());
    EXPECT_TRUE(preview.canViewPrevious());
    // Only Additional Field 2 is asked for.
    EXPECT_THAT(preview.attachments(), ElementsAre((dir / "one.txt").string(), (dir / "two.txt").string()));

    // The merged page replaces an earlier preview file.
    writeWholeFile(dir / "tcpreview.html", std::string(500, 'x'));
    preview.viewPrevious();
    const auto html = preview.htmlToView();
    ASSERT_TRUE(html);
    EXPECT_EQ(*html, dir / "tcpreview.html");
    EXPECT_EQ(readWholeFile(*html), "<p>Dear Ann</p>");
}

TEST_F(MessagePreviewTest, BulkModeShowsTheMacrosAndCannotNavigate)
{
    message.mode = SendMode::Bulk;
    message.identity.name = "Sender";
    auto preview = makePreview(3);
    preview.open();

    EXPECT_EQ(preview.senderLabel(), "Sender");
    EXPECT_EQ(preview.recipientLabel(), "All friends");
    EXPECT_EQ(preview.subject(), "For !*FIRST_NAME*!");
    EXPECT_EQ(preview.body(), "Hello \r\n!*EMAIL*!\r\n\r\nMe");
    EXPECT_FALSE(preview.canViewNext());
    EXPECT_FALSE(preview.canViewPrevious());
    EXPECT_THAT(preview.attachments(), ElementsAre((dir / "one.txt").string()));
    EXPECT_EQ(*preview.htmlToView(), dir / "page.html");

    message.htmlPath = (dir / "gone.html").string();
    EXPECT_FALSE(makePreview().canViewHtml());
}

// The preview once wrapped before merging and listed the recipient's files in field order; the
// message merges before wrapping and attaches the last field's file first.
TEST_F(MessagePreviewTest, ShowsTheTextAndFilesExactlyAsTheBuilderSendsThem)
{
    message.body = "Hello !*EMAIL*!, welcome to the club of friends";
    message.htmlPath.clear();
    message.attachments.clear();
    message.attachField = {true, true, false, false};
    settings::Settings settings;
    settings.wrapWidth = 20;
    settings.encoding = "none";
    FixedClock clock(test::kMailDate);
    SequenceIdSource ids;
    auto builder = MessageBuilder::create(message, settings, clock, ids);
    ASSERT_TRUE(builder);

    auto preview = makePreview(MessageMerge::wrapWidth(settings));
    preview.open();
    preview.viewNext(); // Additional Fields 1 and 2 both name a file
    NullProgress progress;
    const auto sent = builder->buildMessage(preview.recipient(), progress);
    ASSERT_TRUE(sent);

    EXPECT_EQ(preview.body(), "Hello nobody@example.test, \r\nwelcome to the club of \r\nfriends\r\n\r\nMe");
    EXPECT_NE(sent->find("\r\n\r\n" + preview.body()), std::string::npos) << *sent;
    std::vector<std::string> shown;
    for (const auto& path : preview.attachments()) {
        shown.push_back(std::filesystem::path(path).filename().string());
    }
    EXPECT_EQ(shown, attachedNames(*sent));
    EXPECT_THAT(shown, ElementsAre("two.txt", "one.txt"));
}

// What the preview shows as headers is the start of the very message the mailing sends, signed.
TEST_F(MessagePreviewTest, HeadersAreTheSentMessagesOwnSignatureIncluded)
{
    const auto key = (dir / "ed25519.pem").string();
    ASSERT_EQ(std::system(("openssl genpkey -algorithm ED25519 -out '" + key + "' 2>/dev/null").c_str()), 0);
    const FixedClock clock(test::kMailDate);
    struct Case
    {
        std::string keyFile;
        std::string unsubscribeUrl;
        std::string firstField; // empty: the preview fails with `error`
        std::string error;
    };
    const std::vector<Case> cases = {
        {"", "", "From: ", ""},
        {key, "https://example.test/u?a=!*EMAIL*!", "DKIM-Signature: v=1; a=ed25519-sha256;", ""},
        {(dir / "none.pem").string(), "", "", text::dkimKeyUnreadable((dir / "none.pem").string())},
    };
    for (const auto& [keyFile, url, firstField, error] : cases) {
        SCOPED_TRACE(keyFile);
        settings::Settings settings;
        settings.dkimDomain = keyFile.empty() ? "" : "example.test";
        settings.dkimSelector = keyFile.empty() ? "" : "news";
        settings.dkimKeyFile = keyFile;
        settings.unsubscribeUrl = url;
        auto preview = makePreview();
        preview.open();
        SequenceIdSource previewIds;
        const auto headers = preview.headersAsSent(settings, clock, previewIds);
        if (firstField.empty()) {
            ASSERT_FALSE(headers);
            EXPECT_EQ(headers.error().detail, error);
            continue;
        }
        ASSERT_TRUE(headers) << headers.error().detail;

        SequenceIdSource sendIds;
        auto builder = MessageBuilder::create(message, settings, clock, sendIds);
        ASSERT_TRUE(builder);
        NullProgress progress;
        const auto sent = builder->buildMessage(preview.recipient(), progress);
        ASSERT_TRUE(sent);
        EXPECT_TRUE(headers->starts_with(firstField)) << *headers;
        EXPECT_TRUE(headers->ends_with("\r\n") && !headers->ends_with("\r\n\r\n")) << *headers;
        EXPECT_EQ(sent->substr(0, headers->size() + 2), *headers + "\r\n");
        EXPECT_EQ(headers->find("ann%40example.test") != std::string::npos, !url.empty()) << *headers;
    }
}

} // namespace
} // namespace tidecast::outgoing
