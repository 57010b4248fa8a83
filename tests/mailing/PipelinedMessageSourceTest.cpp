#include "mailing/PipelinedMessageSource.h"

#include "mailing/GroupReader.h"
#include "support/SendTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tidecast::mailing
{
namespace
{

// What the session's progress display and activity log were told, in order.
class RecordingDisplay final : public Progress
{
public:
    void setLabel(std::string_view text) override { events.push_back("label " + std::string(text)); }
    void setMaximum(std::int64_t maximum) override { events.push_back("maximum " + std::to_string(maximum)); }
    void setValue(std::int64_t value) override { events.push_back("value " + std::to_string(value)); }
    outgoing::ActivitySink activity()
    {
        return [this](std::string_view line) { events.push_back("line " + std::string(line)); };
    }
    std::vector<std::string> events;
};

store::RecipientRecord person(int number)
{
    store::RecipientRecord record;
    record.set(store::RecipientField::EmailAddress, "user" + std::to_string(number) + "@example.test");
    record.set(store::RecipientField::FirstName, "Ann");
    return record;
}

// The message of a record depends on the record alone, as the real builder's does apart from
// its identifiers; a record whose address holds "fail" cannot be composed.
Result<outgoing::UnsignedMessage> composeFor(const store::RecipientRecord& recipient, Progress& progress,
                                             const outgoing::ActivitySink& activity)
{
    const auto& address = recipient.emailAddress();
    progress.setLabel("Merging " + address);
    progress.setMaximum(2);
    progress.setValue(1);
    if (address.find("fail") != std::string::npos) {
        return Error{ErrorCode::InvalidArgument, "cannot build for " + address};
    }
    activity("built " + address);
    return outgoing::UnsignedMessage{
        ByteChain("To: " + address + "\r\nHello " + recipient.get(store::RecipientField::FirstName) + "\r\n"), {}};
}

Result<std::string> signFor(outgoing::UnsignedMessage message)
{
    return "Signature: " + std::to_string(message.bytes.size()) + "\r\n" + message.bytes.toString();
}

Result<std::string> buildFor(const store::RecipientRecord& recipient, Progress& progress,
                             const outgoing::ActivitySink& activity)
{
    auto composed = composeFor(recipient, progress, activity);
    return composed ? signFor(std::move(*composed)) : Result<std::string>(composed.error());
}

// The group the worker reads ahead in, and everything it was asked to do.
struct FakeGroup
{
    std::vector<store::RecipientRecord> records;
    std::mutex mutex;
    std::vector<std::int64_t> read;
    std::set<std::thread::id> threads;
    int composing = 0;
    int maxComposing = 0;
    std::function<void(const store::RecipientRecord&)> onCompose;

    PipelinedMessageSource::ReadFunction reader()
    {
        return [this](std::int64_t number) -> std::optional<store::RecipientRecord> {
            const std::lock_guard lock(mutex);
            read.push_back(number);
            if (number < 1 || number > static_cast<std::int64_t>(records.size())) {
                return std::nullopt;
            }
            return records[static_cast<std::size_t>(number - 1)];
        };
    }
    PipelinedMessageSource::ComposeFunction composer()
    {
        return [this](const store::RecipientRecord& recipient, Progress& progress,
                      const outgoing::ActivitySink& activity) {
            {
                const std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
                ++composing;
                maxComposing = std::max(maxComposing, composing);
            }
            if (onCompose) {
                onCompose(recipient);
            }
            auto composed = composeFor(recipient, progress, activity);
            const std::lock_guard lock(mutex);
            --composing;
            return composed;
        };
    }
    PipelinedMessageSource::SignFunction signer()
    {
        return [this](outgoing::UnsignedMessage message) {
            {
                const std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            return signFor(std::move(message));
        };
    }
};

TEST(PipelinedMessageSource, GivesTheSessionExactlyWhatBuildingOnItsOwnThreadWould)
{
    // Each step is one record from `first` on: 'T' the session asks for its message, 'S' it
    // skips the record (blocked, excluded, filtered or refused) and asks for none, 'C' it asks
    // with a record that differs from the one read ahead (edited meanwhile).
    struct Case
    {
        const char* name;
        int records;
        std::int64_t depth;
        std::int64_t first;
        std::string steps;
        std::set<int> failing; // records whose build fails
        int workers = 3;
    };
    const std::vector<Case> cases = {
        {"every record taken", 6, 2, 1, "TTTTTT", {}},
        {"skipped records leave no trace", 7, 2, 1, "TSSSTST", {}},
        {"a record changed since it was read ahead is built again", 4, 2, 1, "TCTC", {}},
        {"a failed build reaches the session as its error, a skipped one not at all", 5, 2, 1, "TTSTT", {2, 3}},
        {"a partial mailing starts in the middle", 9, 3, 5, "TTS", {}},
        {"without depth every message is built on demand", 3, 0, 1, "TST", {}, 1},
        {"the end of the group is read past harmlessly", 2, 4, 1, "TT", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeGroup group;
        for (int n = 1; n <= c.records; ++n) {
            auto record = person(n);
            if (c.failing.contains(n)) {
                record.set(store::RecipientField::EmailAddress, "fail" + std::to_string(n) + "@example.test");
            }
            group.records.push_back(record);
        }
        RecordingDisplay display;
        RecordingDisplay expectedDisplay;
        std::vector<std::string> results;
        std::vector<std::string> expected;
        const auto outcome = [](const auto& built) -> std::string {
            if (!built) {
                return built.error().detail;
            }
            if constexpr (std::is_same_v<std::decay_t<decltype(*built)>, ByteChain>) {
                return built->toString();
            } else {
                return *built;
            }
        };
        {
            PipelinedMessageSource source(group.composer(), group.signer(), group.reader(), display, display.activity(),
                                          c.depth, c.workers);
            for (std::size_t i = 0; i < c.steps.size(); ++i) {
                const std::int64_t number = c.first + static_cast<std::int64_t>(i);
                source.reached(number);
                if (c.steps[i] == 'S') {
                    continue;
                }
                auto record = group.records[static_cast<std::size_t>(number - 1)];
                if (c.steps[i] == 'C') {
                    record.set(store::RecipientField::FirstName, "Changed");
                }
                results.push_back(outcome(source.build(record)));
                expected.push_back(outcome(buildFor(record, expectedDisplay, expectedDisplay.activity())));
            }
        }
        EXPECT_EQ(results, expected);
        EXPECT_EQ(display.events, expectedDisplay.events);
        EXPECT_FALSE(group.threads.contains(std::this_thread::get_id()));
        EXPECT_LE(group.maxComposing, 1);
        // Read in file order, once each, never further ahead than the depth.
        for (std::size_t i = 1; i < group.read.size(); ++i) {
            EXPECT_LT(group.read[i - 1], group.read[i]);
        }
        if (!group.read.empty()) {
            EXPECT_LE(group.read.back(), c.first + static_cast<std::int64_t>(c.steps.size()) - 1 + c.depth);
            EXPECT_GE(group.read.front(), c.first);
        }
    }
}

TEST(PipelinedMessageSource, BuildsTheNextMessagesBeforeTheSessionAsks)
{
    FakeGroup group;
    for (int n = 1; n <= 5; ++n) {
        group.records.push_back(person(n));
    }
    std::promise<void> thirdBuilt;
    group.onCompose = [&thirdBuilt](const store::RecipientRecord& recipient) {
        if (recipient.emailAddress() == "user3@example.test") {
            thirdBuilt.set_value();
        }
    };
    NullProgress progress;
    PipelinedMessageSource source(group.composer(), group.signer(), group.reader(), progress, {}, 2);
    source.reached(1);
    // A guard against a hang, not a pause: the worker gets there on its own.
    EXPECT_EQ(thirdBuilt.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
    auto message = source.build(group.records[0]);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->toString(), "Signature: 35\r\nTo: user1@example.test\r\nHello Ann\r\n");
}

TEST(GroupReader, ReadsRecordsByNumberInAnyOrder)
{
    tidecast::test::TempDir dir;
    const auto addresses = test::numberedAddresses(5);
    ASSERT_TRUE(test::makeGroup(dir.path(), "Friends", addresses));
    GroupReader reader(dir / "Friends.gdb");
    const std::vector<std::pair<std::int64_t, std::string>> reads = {
        {1, addresses[0]}, {2, addresses[1]}, {3, addresses[2]}, {5, addresses[4]}, {6, ""},
        {4, addresses[3]}, {5, addresses[4]}, {0, ""},           {2, addresses[1]},
    };
    for (const auto& [number, address] : reads) {
        const auto record = reader.read(number);
        EXPECT_EQ(record ? record->emailAddress() : std::string(), address) << number;
    }
    EXPECT_FALSE(GroupReader(dir / "Missing.gdb").read(1));
}

} // namespace
} // namespace tidecast::mailing
