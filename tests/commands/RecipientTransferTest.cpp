#include "commands/RecipientTransfer.h"

#include "commands/MaintenanceTexts.h"
#include "store/RecipientRecord.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace tidecast::commands::test
{
namespace
{

using namespace store;
using namespace store::test;

class RecipientTransferTest : public StoreTest
{
protected:
    // "Source" holds a0..a2, "Target" holds a2 (with another last name) and a3.
    void SetUp() override
    {
        addGroup("Source");
        addGroup("Target");
        fillGroup("Source", 3);
        fillGroup("Target", 2, 2);
        RecipientStore file;
        ASSERT_TRUE(file.open(groups.groupPath("Target")));
        ASSERT_TRUE(file.moveFirst());
        ASSERT_TRUE(file.setField("LastName", "Kept"));
        ASSERT_TRUE(file.close());
        ASSERT_TRUE(file.open(groups.groupPath("Source")));
        ASSERT_TRUE(file.find("EmailAddress", "=", "a2@example.test"));
        ASSERT_TRUE(file.setField("LastName", "Moved"));
        ASSERT_TRUE(file.close());
        prompter.clear();
    }

    // address -> last name and date added, in file order.
    std::vector<std::string> contents(const std::string& group)
    {
        std::vector<std::string> out;
        for (const auto& record : records(group)) {
            out.push_back(record.emailAddress() + " " + record.get(RecipientField::LastName) + " " + record.dateAdded);
        }
        return out;
    }

    // Puts both group files back as SetUp left them, so each case starts from the same groups.
    void restoreGroups()
    {
        for (const char* group : {"Source", "Target"}) {
            const std::filesystem::path file = groups.groupPath(group);
            auto saved = dir.path() / (std::string(group) + ".saved");
            if (std::filesystem::exists(saved)) {
                std::filesystem::copy_file(saved, file, std::filesystem::copy_options::overwrite_existing);
            } else {
                std::filesystem::copy_file(file, saved);
            }
        }
        prompter.clear();
        status.texts.clear();
    }

    TransferRequest request(TransferMode mode, std::vector<std::string> addresses, bool overwrite = false)
    {
        return {mode, "Source", "Target", std::move(addresses), overwrite};
    }
};

TEST_F(RecipientTransferTest, AsksAboutExistingRecipientsAndWritesOrKeepsBothGroupsAccordingly)
{
    const std::string a2 = "a2@example.test";
    const auto overwrite = text::overwriteQuestion(a2);
    const auto deleteAnyway = text::deleteAnywayQuestion(a2, "Source");
    const std::vector<std::string> sourceAll = {"a0@example.test  2020-01-01", "a1@example.test  2020-01-01",
                                                "a2@example.test Moved 2020-01-01"};
    const std::vector<std::string> sourceLeft = {"a0@example.test  2020-01-01", "a1@example.test  2020-01-01"};
    const std::vector<std::string> targetKept = {"a2@example.test Kept 2020-01-01", "a3@example.test  2020-01-01"};
    const std::vector<std::string> targetOverwritten = {"a2@example.test Moved 2026-03-14",
                                                        "a3@example.test  2020-01-01"};
    struct Case
    {
        std::string name;
        TransferMode mode;
        bool overwriteFlag;
        std::vector<Answer> answers;
        std::vector<std::string> questions;
        std::vector<std::string> source;
        std::vector<std::string> target;
        CommandOutcome outcome;
    };
    using M = TransferMode;
    using O = CommandOutcome;
    const auto yes = Answer::Yes;
    const auto no = Answer::No;
    const std::vector<Case> cases = {
        {"copy, No", M::Copy, false, {no}, {overwrite}, sourceAll, targetKept, O::Stopped},
        {"copy, Yes", M::Copy, false, {yes}, {overwrite}, sourceAll, targetOverwritten, O::Done},
        {"copy, overwrite box", M::Copy, true, {}, {}, sourceAll, targetOverwritten, O::Done},
        {"move, No twice", M::Move, false, {no, no}, {overwrite, deleteAnyway}, sourceAll, targetKept, O::Stopped},
        {"move, No then Yes", M::Move, false, {no, yes}, {overwrite, deleteAnyway}, sourceLeft, targetKept, O::Done},
        {"move, Yes", M::Move, false, {yes}, {overwrite}, sourceLeft, targetOverwritten, O::Done},
        {"move, overwrite box", M::Move, true, {}, {}, sourceLeft, targetOverwritten, O::Done},
    };
    for (const auto& c : cases) {
        restoreGroups();
        for (const auto answer : c.answers) {
            prompter.queue(answer);
        }
        RecipientTransfer transfer(maintenanceContext(groups), request(c.mode, {a2}, c.overwriteFlag));
        EXPECT_EQ(transfer.run().outcome, c.outcome) << c.name;
        EXPECT_EQ(prompter.texts(), c.questions) << c.name;
        EXPECT_TRUE(prompter.answersUsedUp()) << c.name;
        EXPECT_EQ(contents("Source"), c.source) << c.name;
        EXPECT_EQ(contents("Target"), c.target) << c.name;
    }
}

TEST_F(RecipientTransferTest, MoveAppendsNewRecipientsWithTodaysDateThenDeletesAndCompactsTheSource)
{
    for (const bool safe : {false, true}) {
        restoreGroups();
        groups.setSafeDelete(safe);
        RecipientTransfer transfer(
            maintenanceContext(groups),
            request(TransferMode::Move, {"a1@example.test", "nobody@example.test", "a0@example.test"}));
        const auto summary = transfer.run();
        EXPECT_EQ(summary.outcome, CommandOutcome::Done);
        EXPECT_EQ(summary.written, 2);
        EXPECT_EQ(summary.removed, 2);
        EXPECT_EQ(summary.notFound, std::vector<std::string>{"nobody@example.test"});
        EXPECT_EQ(contents("Source"), std::vector<std::string>{"a2@example.test Moved 2020-01-01"});
        EXPECT_EQ(contents("Target"),
                  (std::vector<std::string>{"a2@example.test Kept 2020-01-01", "a3@example.test  2020-01-01",
                                            "a1@example.test  2026-03-14", "a0@example.test  2026-03-14"}));
        EXPECT_EQ(status.texts,
                  (std::vector<std::string>{std::string(text::kMoving), std::string(text::kMoveComplete),
                                            std::string(text::kCompacting), std::string(text::kCompactComplete)}));
        EXPECT_TRUE(prompter.log().empty());
    }

    restoreGroups();
    RecipientTransfer copy(maintenanceContext(groups), request(TransferMode::Copy, {"a2@example.test"}, true));
    EXPECT_EQ(copy.run().outcome, CommandOutcome::Done);
    EXPECT_EQ(status.texts, (std::vector<std::string>{std::string(text::kCopying), std::string(text::kCopyComplete)}));
}

TEST_F(RecipientTransferTest, RefusesAnInvalidOrIdenticalGroupBeforeAnyWrite)
{
    {
        std::ofstream broken(dir.path() / "Broken.gdb");
        broken << "not a database";
    }
    struct Case
    {
        std::string source;
        std::string destination;
        TransferCheck check;
        std::string_view message;
    };
    const std::vector<Case> cases = {
        {"Gone", "Target", TransferCheck::SourceInvalid, text::kSourceInvalid},
        {"Broken", "Target", TransferCheck::SourceInvalid, text::kSourceInvalid},
        {"Source", "", TransferCheck::DestinationInvalid, text::kDestinationInvalid},
        {"Source", "Broken", TransferCheck::DestinationInvalid, text::kDestinationInvalid},
        {"Source", "Source", TransferCheck::DestinationInvalid, text::kDestinationIsSource},
    };
    for (const auto& c : cases) {
        prompter.clear();
        RecipientTransfer transfer(maintenanceContext(groups),
                                   {TransferMode::Move, c.source, c.destination, {"a0@example.test"}, true});
        EXPECT_EQ(transfer.check(), c.check) << c.source << c.destination;
        EXPECT_EQ(transfer.run().outcome, CommandOutcome::Refused);
        EXPECT_EQ(prompter.log().front(), (ScriptedPrompter::Entry{std::string(c.message), Icon::Exclamation, false}));
    }
    EXPECT_EQ(contents("Source").size(), 3U);
    EXPECT_EQ(contents("Target").size(), 2U);
}

TEST_F(RecipientTransferTest, AProcessKilledBetweenTheTwoWritesLeavesTheRecipientInBothGroups)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecipientTransfer transfer(maintenanceContext(groups), request(TransferMode::Move, {"a0@example.test"}));
        const bool written =
            transfer.check() == TransferCheck::Ready && transfer.writeDestination() == CommandOutcome::Done;
        // Dies without closing anything or running a destructor.
        _exit(written ? 0 : 1);
    }
    int childStatus = 0;
    ASSERT_EQ(waitpid(child, &childStatus, 0), child);
    ASSERT_TRUE(WIFEXITED(childStatus));
    ASSERT_EQ(WEXITSTATUS(childStatus), 0);
    EXPECT_EQ(contents("Source").front(), "a0@example.test  2020-01-01");
    EXPECT_EQ(contents("Target").back(), "a0@example.test  2026-03-14");

    // Moving again finishes the job: the copy in the destination is overwritten, the source loses it.
    RecipientTransfer again(maintenanceContext(groups), request(TransferMode::Move, {"a0@example.test"}, true));
    EXPECT_EQ(again.run().outcome, CommandOutcome::Done);
    EXPECT_EQ(contents("Source").size(), 2U);
    EXPECT_EQ(contents("Target").size(), 3U);
}

} // namespace
} // namespace tidecast::commands::test
