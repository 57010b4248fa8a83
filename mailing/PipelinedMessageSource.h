#pragma once

#include "common/Progress.h"
#include "common/Result.h"
#include "mailing/MessageSource.h"
#include "outgoing/MessageBuilder.h"
#include "store/RecipientRecord.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tidecast::mailing
{

// Builds messages on worker threads ahead of the send session, so the building and, what costs
// most, the signing of the next messages happen while the current one is on the wire. When the
// session reaches record number N, the records up to N + depth are read and composed in file
// order, one at a time, and signed side by side; the session then takes the message of record N.
// A prepared message whose record the session skips (blocked, excluded, filtered, refused by the
// server) is dropped unseen.
//
// What the session sees is what building on its own thread would give: the message is the
// compose and sign functions' result for exactly the session's record (composed again when the
// record read ahead differs), and its progress labels and activity lines are passed on, in order,
// on the session's thread when the message is taken, never for a dropped one. The compose and
// read functions run one call at a time, so they need not be thread-safe, but they must not be
// used elsewhere while this source lives; the sign function must be thread-safe. Destruction
// waits for the work in progress and starts nothing new.
class PipelinedMessageSource final : public MessageSource
{
public:
    using ComposeFunction = std::function<Result<outgoing::UnsignedMessage>(
        const store::RecipientRecord& recipient, Progress& progress, const outgoing::ActivitySink& activity)>;
    using SignFunction = std::function<Result<std::string>(outgoing::UnsignedMessage message)>;
    // The record with this number, or nothing.
    using ReadFunction = std::function<std::optional<store::RecipientRecord>(std::int64_t number)>;

    static constexpr std::int64_t kDefaultDepth = 8;
    static constexpr int kDefaultWorkers = 2;

    PipelinedMessageSource(ComposeFunction compose, SignFunction sign, ReadFunction read, Progress& progress,
                           outgoing::ActivitySink activity, std::int64_t depth = kDefaultDepth,
                           int workers = kDefaultWorkers);
    ~PipelinedMessageSource() override;
    PipelinedMessageSource(const PipelinedMessageSource&) = delete;
    PipelinedMessageSource& operator=(const PipelinedMessageSource&) = delete;

    void reached(std::int64_t number) override;
    [[nodiscard]] Result<ByteChain> build(const store::RecipientRecord& recipient) override;

private:
    // What a build told its progress display and activity log, kept until the message is taken.
    struct Event
    {
        enum class Kind
        {
            Label,
            Maximum,
            Value,
            Line,
        };
        Kind kind;
        std::string text;
        std::int64_t number = 0;
    };
    struct Built
    {
        std::optional<store::RecipientRecord> record; // nothing when the record could not be read
        std::optional<Result<std::string>> message;
        std::vector<Event> events;
    };
    class RecordingProgress;

    void work();
    bool isPending(std::int64_t number) const;
    void replay(const std::vector<Event>& events);

    ComposeFunction m_compose;
    SignFunction m_sign;
    ReadFunction m_read;
    Progress& m_progress;
    outgoing::ActivitySink m_activity;
    const std::int64_t m_depth;

    std::mutex m_composeTurn; // held from taking a record off the queue until it is composed
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::int64_t m_current = 0;    // the record the session reached last
    std::int64_t m_queuedUpTo = 0; // the highest record number handed to the worker
    std::deque<std::int64_t> m_waiting;
    std::set<std::int64_t> m_building; // taken from the queue by a worker, not done yet
    std::map<std::int64_t, Built> m_built;
    std::optional<store::RecipientRecord> m_urgent; // a record the session needs now
    std::optional<Built> m_urgentBuilt;
    bool m_stopping = false;
    std::vector<std::thread> m_workers; // last: they start once everything above is ready
};

} // namespace tidecast::mailing
