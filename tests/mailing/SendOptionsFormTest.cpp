#include "mailing/SendOptionsForm.h"

#include "common/Text.h"
#include "mailing/SendOptionsTexts.h"
#include "settings/SettingsStore.h"
#include "store/GroupDetails.h"
#include "store/RecipientStore.h"
#include "support/FixedClock.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tidecast::mailing
{
namespace
{

using namespace std::chrono_literals;
using Entry = ScriptedPrompter::Entry;

class SendOptionsFormTest : public ::testing::Test
{
protected:
    SendOptionsFormTest()
    {
        paths.dataDir = dir.path();
        paths.configDir = dir / "config";
        settings.smtpServer = "mail.example.test";
        settings.realName = "Default Sender";
        settings.emailAddress = "default@example.test";
        settings.bulkGroupSize = 50;
        makeGroup("Customers", 120);
        makeGroup("Empty", 0);
        options.groupName = "Customers";
        options.recipientCount = 120;
    }

    void makeGroup(const std::string& name, int recipients)
    {
        store::RecipientStore group;
        store::defineRecipientLayout(group);
        ASSERT_EQ(group.createFile(dir / (name + ".gdb")), 0);
        ASSERT_TRUE(group.open(dir / (name + ".gdb")));
        for (int i = 0; i < recipients; ++i) {
            ASSERT_TRUE(group.addNew());
            ASSERT_TRUE(group.setField("EmailAddress", "r" + std::to_string(i) + "@example.test"));
        }
        ASSERT_TRUE(group.close());
    }

    SendOptionsOpening opening(std::string text = "Hello") const
    {
        return {{"Customers", "Empty", "Friends"},   std::move(text), {},
                outgoing::defaultIdentity(settings), 2026y / 12 / 6,  {}};
    }

    SendOptionsForm openForm(std::string text = "Hello")
    {
        SendOptionsForm form(options, settings, paths, prompter);
        form.open(opening(std::move(text)));
        return form;
    }

    std::string stored(std::string_view key) const
    {
        return settings::readValue(paths.settingsFile(), "Send Options", key, "absent");
    }

    test::TempDir dir;
    settings::SettingsPaths paths;
    settings::Settings settings;
    SendOptions options;
    ScriptedPrompter prompter;
};

TEST_F(SendOptionsFormTest, OpeningFillsTheBoxesAndChoosesTheMode)
{
    options.afterDateOn = true;
    options.blockFileOn = true;
    options.blockFilePath = "old.log";
    options.sendFilters = {"Send where 'City'  Equals 'X'"};
    SendOptionsForm form = openForm();
    const auto& e = form.entries();
    EXPECT_EQ(form.caption(), "Prepare to Send to Customers");
    EXPECT_EQ(form.sizeLabel(), "120 recipients");
    EXPECT_EQ(e.toText, "Customers");
    EXPECT_EQ(e.partialStart, "1");
    EXPECT_EQ(e.partialEnd, "120");
    EXPECT_EQ(e.server, "mail.example.test");
    EXPECT_EQ(e.afterDate, 2026y / 12 / 6);
    EXPECT_TRUE(e.bulk); // "Bulk" defaults to bulk
    EXPECT_FALSE(e.dsn);
    EXPECT_FALSE(options.afterDateOn);
    EXPECT_FALSE(options.blockFileOn);
    EXPECT_TRUE(options.blockFilePath.empty());
    EXPECT_EQ(options.sendFilters, std::vector<std::string>{""});

    settings::writeValue(paths.settingsFile(), "Send Options", "Bulk", "0");
    settings::writeValue(paths.settingsFile(), "Send Options", "DSN", "-1");
    SendOptionsForm personal = openForm();
    EXPECT_FALSE(personal.entries().bulk);
    EXPECT_TRUE(personal.entries().dsn);
    EXPECT_TRUE(prompter.log().empty());
}

TEST_F(SendOptionsFormTest, MacrosOrCustomAttachmentsForcePersonalMode)
{
    // A macro in the text: personal although "Bulk" says bulk, and choosing bulk is refused.
    SendOptionsForm form = openForm("Dear !*FIRSTNAME*!,");
    EXPECT_FALSE(form.entries().bulk);
    EXPECT_FALSE(form.chooseBulk());
    EXPECT_FALSE(form.entries().bulk);
    EXPECT_EQ(prompter.log(), (std::vector<Entry>{{std::string(text::kBulkRefused), Icon::Exclamation, false}}));

    // The markers in the HTML file count too; a "*!" before "!*" does not.
    ASSERT_TRUE(writeWholeFile(dir / "page.html", "<p>Hi !*EMAIL*!</p>"));
    SendOptionsOpening withHtml = opening("*! no macro !*");
    withHtml.htmlPath = (dir / "page.html").string();
    SendOptionsForm html(options, settings, paths, prompter);
    html.open(withHtml);
    EXPECT_TRUE(html.messageHasMacros());
    EXPECT_FALSE(html.entries().bulk);
    EXPECT_FALSE(openForm("*! no macro !*").messageHasMacros());

    // So do they in the subject: bulk would send the macro itself to everybody.
    SendOptionsOpening withSubject = opening();
    withSubject.subject = "News for !*FIRSTNAME*!";
    SendOptionsForm subject(options, settings, paths, prompter);
    subject.open(withSubject);
    EXPECT_FALSE(subject.entries().bulk);
    EXPECT_FALSE(subject.chooseBulk());

    options.customAttachments = true;
    EXPECT_FALSE(openForm().entries().bulk);
}

TEST_F(SendOptionsFormTest, BulkWithCustomAttachmentsNeedsAYes)
{
    SendOptionsForm form = openForm();
    form.choosePersonal();
    form.entries().sendCustomAttachments = true;
    prompter.queue(Answer::No);
    prompter.queue(Answer::Yes);
    EXPECT_FALSE(form.chooseBulk());
    EXPECT_FALSE(form.entries().bulk);
    EXPECT_TRUE(form.chooseBulk());
    EXPECT_TRUE(form.entries().bulk);
    EXPECT_EQ(prompter.log(),
              (std::vector<Entry>(2, {std::string(text::kBulkWithCustomAttachments), Icon::Question, true})));
}

TEST_F(SendOptionsFormTest, PartialWindowRules)
{
    SendOptionsForm form = openForm();
    auto& e = form.entries();
    // Each case types into one box and leaves it, then into the other, starting from 1..120.
    struct Case
    {
        bool startFirst;
        std::string first;
        std::string second;
        std::string expectedStart;
        std::string expectedEnd;
    };
    const Case cases[] = {
        {true, "50", "20", "50", "50"},  // the end becomes the start
        {false, "20", "50", "20", "20"}, // the start becomes the end
        {false, "999", "1", "1", "120"}, // the end is at most the group's size
        {true, "0", "120", "1", "120"},  // the start is at least 1
        {true, "", "5", "1", "5"},       // an empty start counts as 0
        {false, "10", "99999999999", "10", "10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first + " then " + c.second);
        e.partialStart = "1";
        e.partialEnd = "120";
        auto type = [&](bool start, const std::string& digits) {
            if (start) {
                e.partialStart = digits;
                form.leaveStartBox();
            } else {
                e.partialEnd = digits;
                form.leaveEndBox();
            }
        };
        type(c.startFirst, c.first);
        type(!c.startFirst, c.second);
        EXPECT_EQ(e.partialStart, c.expectedStart);
        EXPECT_EQ(e.partialEnd, c.expectedEnd);
    }

    EXPECT_TRUE(form.acceptPartialKey(U'7'));
    EXPECT_TRUE(form.acceptPartialKey(8));
    EXPECT_FALSE(form.acceptPartialKey(U'a'));
    EXPECT_FALSE(form.acceptPartialKey(U'-'));
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>(2, "Numbers only please!")));

    // An empty group gives the window 0..0, and the start rules cannot lift it above the end.
    ASSERT_TRUE(form.changeGroup("Empty"));
    EXPECT_EQ(e.partialStart, "0");
    EXPECT_EQ(e.partialEnd, "0");
    form.leaveStartBox();
    form.leaveEndBox();
    EXPECT_EQ(e.partialStart, "0");
    EXPECT_EQ(e.partialEnd, "0");
}

TEST_F(SendOptionsFormTest, ChangingTheGroupReloadsItsIdentity)
{
    FixedClock clock(std::chrono::system_clock::now());
    makeGroup("Friends", 3);
    store::GroupDetails own{false, "Club Secretary", "club@example.test", "The Club", "", "Regards"};
    ASSERT_TRUE(store::writeGroupDetails(store::groupDetailsPath(dir.path(), "Friends"), own, clock));

    SendOptionsForm form = openForm();
    auto& e = form.entries();
    form.setPartial(true);
    ASSERT_TRUE(form.changeGroup("Friends"));
    EXPECT_EQ(form.caption(), "Prepare to Send to Friends");
    EXPECT_EQ(form.sizeLabel(), "3 recipients");
    EXPECT_EQ(e.toText, "Friends");
    EXPECT_EQ(e.partialEnd, "3");
    EXPECT_FALSE(e.partial);
    EXPECT_EQ(options.groupName, "Friends");
    EXPECT_EQ(options.recipientCount, 3);
    EXPECT_EQ(e.identity, (outgoing::GroupIdentity{"Club Secretary", "club@example.test", "", "The Club", "Regards"}));

    // Back to a group with the default identity: the boxes change back, with the notice again.
    ASSERT_TRUE(form.changeGroup("Customers"));
    EXPECT_EQ(e.identity, outgoing::defaultIdentity(settings));

    // Own details without an address fall back to the defaults, which the boxes already show.
    own.senderEmail = " ";
    ASSERT_TRUE(store::writeGroupDetails(store::groupDetailsPath(dir.path(), "Empty"), own, clock));
    ASSERT_TRUE(form.changeGroup("Empty"));
    EXPECT_EQ(e.identity, outgoing::defaultIdentity(settings));

    // A group whose file has gone is refused and the previous one stays.
    EXPECT_FALSE(form.changeGroup("Gone"));
    EXPECT_EQ(e.groupName, "Empty");

    EXPECT_EQ(prompter.log(), (std::vector<Entry>{
                                  {std::string(text::kPartialReset), Icon::Critical, false},
                                  {std::string(text::kDifferentIdentification), Icon::Information, false},
                                  {std::string(text::kDifferentIdentification), Icon::Information, false},
                                  {std::string(outgoing::kIncompleteGroupDetailsMessage), Icon::Exclamation, false},
                                  {"The Group: Gone no longer seems to exist.\r\n"
                                   "Please select a valid Group before proceeding.",
                                   Icon::Critical, false},
                              }));
}

TEST_F(SendOptionsFormTest, SendChecksInOrderThenFillsTheOptions)
{
    SendOptionsForm form = openForm();
    auto& e = form.entries();
    e.server = "  ";
    e.identity.address = "";

    // Each failure stops Send; fixing it reveals the next one.
    std::filesystem::remove(dir / "Customers.gdb");
    SendOptionsCheck result = form.send();
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.focus, SendOptionsFocus::GroupSelector);
    makeGroup("Customers", 0);
    e.recipientCount = 0;
    EXPECT_EQ(form.send().focus, SendOptionsFocus::GroupSelector);
    e.recipientCount = 120;
    result = form.send();
    EXPECT_EQ(result.tab, SendOptionsTab::ServerIdentification);
    EXPECT_EQ(result.focus, SendOptionsFocus::ServerBox);
    // Preview does not need a server.
    EXPECT_EQ(form.preview().focus, SendOptionsFocus::AddressBox);
    e.server = "smtp.example.test";
    EXPECT_EQ(form.send().focus, SendOptionsFocus::AddressBox);
    EXPECT_FALSE(options.optionsConfirmed);
    EXPECT_EQ(stored("Bulk"), "absent");
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{text::groupNoLongerExists("Customers"), std::string(text::kEmptyGroup),
                                        std::string(text::kEnterServer), std::string(text::kEnterFromAddress),
                                        std::string(text::kEnterFromAddress)}));

    e.identity.address = "me@example.test";
    e.toText = " ";
    e.dsn = true;
    e.sendCustomAttachments = true; // without a field box: no custom attachments
    e.blockFile = (dir / "missing.log").string();
    e.partial = true;
    e.partialStart = "5";
    e.partialEnd = "60";
    e.beforeOn = true;
    e.beforeDate = 2026y / 1 / 1;
    ASSERT_TRUE(form.send().accepted);
    EXPECT_TRUE(options.optionsConfirmed);
    EXPECT_EQ(options.smtpServer, "smtp.example.test");
    EXPECT_EQ(options.senderAddress, "me@example.test");
    EXPECT_TRUE(options.bulkMode);
    EXPECT_EQ(options.bulkToText, "Customers");
    EXPECT_EQ(options.bulkGroupSize, 50);
    EXPECT_TRUE(options.dsn);
    EXPECT_FALSE(options.customAttachments);
    EXPECT_FALSE(options.blockFileOn);
    EXPECT_TRUE(options.blockFilePath.empty());
    EXPECT_TRUE(options.partialSend);
    EXPECT_EQ(options.partialStart, 5);
    EXPECT_EQ(options.partialEnd, 60);
    EXPECT_FALSE(options.afterDateOn);
    EXPECT_TRUE(options.beforeDateOn);
    EXPECT_EQ(options.beforeDate, 2026y / 1 / 1);
    EXPECT_EQ(options.sendFilters, std::vector<std::string>{""});
    EXPECT_EQ(stored("Bulk"), "-1");
    EXPECT_EQ(stored("DSN"), "-1");

    // A second run: personal mode, a real block file, a field box and a filter list.
    ASSERT_TRUE(writeWholeFile(dir / "sent.log", "a@example.test\r\n"));
    ASSERT_TRUE(form.chooseBlockFile(dir / "sent.log"));
    EXPECT_FALSE(form.chooseBlockFile(dir / "nothing.log"));
    form.choosePersonal();
    e.dsn = false;
    e.attachFields[2] = true;
    e.filters = {"Send where 'City'  Equals 'Leeds'"};
    ASSERT_TRUE(form.preview().accepted);
    EXPECT_FALSE(options.bulkMode);
    EXPECT_TRUE(options.blockFileOn);
    EXPECT_EQ(options.blockFilePath, (dir / "sent.log").string());
    EXPECT_TRUE(options.customAttachments);
    EXPECT_TRUE(options.attachField3);
    EXPECT_EQ(options.sendFilters, e.filters);
    EXPECT_EQ(stored("Bulk"), "0");
    EXPECT_EQ(stored("DSN"), "0");
}

} // namespace
} // namespace tidecast::mailing
