#include "outgoing/MessagePreview.h"

#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

        input.senderAddress = "me@example.test";
        input.signature = "Me";
        input.subject = "For !*FIRST_NAME*!";
        input.body = "Hello !*EMAIL*!";
        input.htmlPath = (dir / "page.html").string();
        input.attachments = {(dir / "one.txt").string(), (dir / "missing.txt").string()};
        input.groupName = "Friends";
        input.bulkToText = "All friends";
        input.customAttachments = true;
        input.attachField = {false, true, false, false};
    }

    tidecast::test::TempDir dir;
    PreviewInput input;
};

TEST_F(MessagePreviewTest, PersonalModeMergesEachRecipientAndWalksTheGroup)
{
    MessagePreview preview(input, dir.path());
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
    input.bulkMode = true;
    input.wrapWidth = 3;
    input.senderName = "Sender";
    MessagePreview preview(input, dir.path());
    preview.open();

    EXPECT_EQ(preview.senderLabel(), "Sender");
    EXPECT_EQ(preview.recipientLabel(), "All friends");
    EXPECT_EQ(preview.subject(), "For !*FIRST_NAME*!");
    EXPECT_EQ(preview.body(), "Hello \r\n!*EMAIL*!\r\n\r\nMe");
    EXPECT_FALSE(preview.canViewNext());
    EXPECT_FALSE(preview.canViewPrevious());
    EXPECT_THAT(preview.attachments(), ElementsAre((dir / "one.txt").string()));
    EXPECT_EQ(*preview.htmlToView(), dir / "page.html");

    input.htmlPath = (dir / "gone.html").string();
    EXPECT_FALSE(MessagePreview(input, dir.path()).canViewHtml());
}

} // namespace
} // namespace tidecast::outgoing
