#include "mailing/SendCommand.h"

#include "support/ScriptedPrompter.h"
#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tidecast::mailing
{
namespace
{

using ::testing::ElementsAre;

class RecordingHost final : public SendCommandHost
{
public:
    void closeDatabases() override { calls.push_back("close"); }
    SpellCheckOutcome checkSpellingBeforeSending() override
    {
        calls.push_back("spell");
        return spellingCompleted ? SpellCheckOutcome::Completed : SpellCheckOutcome::Cancelled;
    }
    void openServerSetup() override { calls.push_back("server setup"); }
    void openIdentitySetup() override { calls.push_back("identity setup"); }
    void setFocus(SendFocus focus) override { focused = focus; }

    bool spellingCompleted = true;
    std::vector<std::string> calls;
    SendFocus focused = SendFocus::None;
};

class SendCommandTest : public ::testing::Test
{
public:
    SendCommandTest()
    {
        settings.smtpServer = "mail.example.test";
        settings.emailAddress = "me@example.test";
        message.subject = "Hello";
        message.body = "Body";
        EXPECT_TRUE(test::makeGroup(dir.path(), "Friends", test::numberedAddresses(3)));
    }

    std::optional<PreparedMailing> prepare(const std::vector<std::string>& groups = {"Friends"},
                                           const std::string& selected = "Friends")
    {
        return prepareSend(settings, dir.path(), groups, selected, message, host, prompter);
    }

    tidecast::test::TempDir dir;
    settings::Settings settings;
    outgoing::ComposedMessage message;
    RecordingHost host;
    ScriptedPrompter prompter;
};

TEST_F(SendCommandTest, ReadyMailingCarriesDefaultsIdentityAndGroupSize)
{
    settings.smtpPort = 0;
    settings.timeout = 0;
    settings.wrapWidth = 0;
    settings.smtpUsername = "user";

    const auto mailing = prepare();

    ASSERT_TRUE(mailing);
    EXPECT_EQ(mailing->settings.smtpPort, 25);
    EXPECT_EQ(mailing->settings.timeout, 30);
    EXPECT_EQ(mailing->settings.wrapWidth, 70);
    EXPECT_EQ(mailing->settings.smtpUsername, ""); // authentication is off
    EXPECT_EQ(mailing->identity.address, "me@example.test");
    EXPECT_EQ(mailing->groupSize, 3);
    EXPECT_EQ(mailing->options.recipientCount, 3);
    EXPECT_EQ(mailing->options.groupName, "Friends");
    EXPECT_FALSE(mailing->options.optionsConfirmed);
    EXPECT_THAT(host.calls, ElementsAre("close"));
    EXPECT_TRUE(prompter.log().empty());
}

TEST_F(SendCommandTest, EachStepStopsWithItsMessage)
{
    using Setup = std::function<void(SendCommandTest&)>;
    const std::vector<std::string> friends = {"Friends"};
    const std::vector<std::string> none;
    const std::vector<std::string> withGone = {"Friends", "Gone"};
    struct Case
    {
        std::string name;
        Setup setup;
        std::vector<std::string> groups;
        std::string selected;
        std::optional<Answer> answer;
        std::string expectedText;
        Icon expectedIcon;
        SendFocus expectedFocus;
        std::string expectedCall;
    };
    const std::vector<Case> cases = {
        {"spelling cancelled",
         [](SendCommandTest& t) {
             t.settings.checkBeforeSending = true;
             t.host.spellingCompleted = false;
         },
         friends, "Friends", Answer::No,
         "The spell check on this message has been cancelled. Do you want to continue sending?", Icon::Critical,
         SendFocus::None, "spell"},
        {"no groups", nullptr, none, "", std::nullopt,
         "You have not Created any Groups yet. You cannot send a message until you create a Group of Recipients to "
         "send to.",
         Icon::Information, SendFocus::GroupSelector, ""},
        {"no server", [](SendCommandTest& t) { t.settings.smtpServer = "  "; }, friends, "Friends", std::nullopt,
         "You have not specified a SMTP Email Server to Use", Icon::Critical, SendFocus::None, "server setup"},
        {"no group selected", nullptr, friends, "", std::nullopt, "Please select a group to send this message to.",
         Icon::Exclamation, SendFocus::GroupSelector, ""},
        {"no body, answered No", [](SendCommandTest& t) { t.message.body.clear(); }, friends, "Friends", Answer::No,
         "Are you sure you wish to send this message without a Message body.", Icon::Question, SendFocus::MessageText,
         ""},
        {"no subject, answered Cancel", [](SendCommandTest& t) { t.message.subject = " "; }, friends, "Friends",
         Answer::Cancel, "Are you sure you wish to send this message without a Subject line.", Icon::Question,
         SendFocus::None, ""},
        {"sender address only an at sign", [](SendCommandTest& t) { t.settings.emailAddress = " @ "; }, friends,
         "Friends", Answer::Yes,
         "A valid From Email Address is required for sending this message\r\n\r\nWould you like to enter one now?",
         Icon::Exclamation, SendFocus::None, "identity setup"},
        {"group file gone", nullptr, withGone, "Gone", std::nullopt,
         "The Group: Gone no longer seems to exist.\r\nPlease select a valid Group before proceeding.", Icon::Critical,
         SendFocus::None, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendCommandTest& t = *this;
        t.settings = settings::Settings{};
        t.settings.smtpServer = "mail.example.test";
        t.settings.emailAddress = "me@example.test";
        t.message = {"Hello", "Body", "", {}, outgoing::Priority::Normal};
        t.host = RecordingHost{};
        t.prompter = ScriptedPrompter{};
        if (c.setup) {
            c.setup(t);
        }
        if (c.answer) {
            t.prompter.queue(*c.answer);
        }
        EXPECT_FALSE(prepare(c.groups, c.selected));
        ASSERT_EQ(t.prompter.log().size(), 1u);
        EXPECT_EQ(t.prompter.log()[0].text, c.expectedText);
        EXPECT_EQ(t.prompter.log()[0].icon, c.expectedIcon);
        EXPECT_EQ(t.host.focused, c.expectedFocus);
        if (!c.expectedCall.empty()) {
            EXPECT_THAT(t.host.calls, ::testing::Contains(c.expectedCall));
        }
    }
}

TEST(SenderAddress, NeedsSomethingWithAnAtSign)
{
    EXPECT_TRUE(isUsableSenderAddress(" me@example.test "));
    EXPECT_FALSE(isUsableSenderAddress(""));
    EXPECT_FALSE(isUsableSenderAddress(" @ "));
    EXPECT_FALSE(isUsableSenderAddress("me.example.test"));
}

TEST(MessageShapes, DocumentAndOptionsBecomeTheOutgoingMessage)
{
    struct Case
    {
        std::optional<int> storedPriority;
        outgoing::Priority priority;
    };
    for (const auto& c : {Case{0, outgoing::Priority::High}, Case{1, outgoing::Priority::Normal},
                          Case{2, outgoing::Priority::Low}, Case{std::nullopt, outgoing::Priority::Normal}}) {
        messages::MessageDocument document;
        document.subject = "Hello";
        document.body = "Body";
        document.htmlPath = "page.html";
        document.attachments = {"a.pdf"};
        document.priority = c.storedPriority;
        const auto composed = composedMessage(document);
        EXPECT_EQ(composed.priority, c.priority);
        EXPECT_EQ(composed.subject, "Hello");
        EXPECT_EQ(composed.attachments, std::vector<std::string>{"a.pdf"});
    }

    SendOptions options;
    options.senderName = "Me";
    options.senderAddress = "me@example.test";
    options.signature = "Regards";
    options.bulkToText = "Friends";
    options.customAttachments = true;
    options.attachField3 = true;
    const outgoing::ComposedMessage composed{"Hello", "Body", "", {}, outgoing::Priority::Low};
    const auto personal = outgoingMessage(composed, options);
    EXPECT_EQ(personal.priority, outgoing::Priority::Low);
    EXPECT_EQ(personal.identity.address, "me@example.test");
    EXPECT_EQ(personal.identity.signature, "Regards");
    EXPECT_EQ(personal.mode, outgoing::SendMode::Personal);
    EXPECT_TRUE(personal.customAttachments);
    EXPECT_EQ(personal.attachField, (std::array<bool, 4>{false, false, true, false}));

    // Bulk messages are the same for everybody: no recipient's files.
    options.bulkMode = true;
    const auto bulk = outgoingMessage(composed, options);
    EXPECT_EQ(bulk.mode, outgoing::SendMode::Bulk);
    EXPECT_EQ(bulk.bulkToText, "Friends");
    EXPECT_FALSE(bulk.customAttachments);
}

} // namespace
} // namespace tidecast::mailing
