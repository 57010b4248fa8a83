#include "mailing/PipelinedMessageSource.h"

#include <algorithm>
#include <utility>

namespace tidecast::mailing
{

class PipelinedMessageSource::RecordingProgress final : public Progress
{
public:
    explicit RecordingProgress(std::vector<Event>& events)
        : m_events(events)
    {}
    void setLabel(std::string_view text) override { m_events.push_back({Event::Kind::Label, std::string(text)}); }
    void setMaximum(std::int64_t maximum) override { m_events.push_back({Event::Kind::Maximum, {}, maximum}); }
    void setValue(std::int64_t value) override { m_events.push_back({Event::Kind::Value, {}, value}); }

private:
    std::vector<Event>& m_events;
};

PipelinedMessageSource::PipelinedMessageSource(ComposeFunction compose, SignFunction sign, ReadFunction read,
                                               Progress& progress, outgoing::ActivitySink activity, std::int64_t depth,
                                               int workers)
    : m_compose(std::move(compose))
    , m_sign(std::move(sign))
    , m_read(std::move(read))
    , m_progress(progress)
    , m_activity(std::move(activity))
    , m_depth(std::max<std::int64_t>(depth, 0))
{
    for (int i = 0; i < std::max(workers, 1); ++i) {
        m_workers.emplace_back([this] { work(); });
    }
}

PipelinedMessageSource::~PipelinedMessageSource()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (auto& worker : m_workers) {
        worker.join();
    }
}

void PipelinedMessageSource::reached(std::int64_t number)
{
    {
        const std::lock_guard lock(m_mutex);
        m_current = number;
        // Records well behind the session are skipped for good. Those just behind are kept: a
        // mailing over several connections reaches its records slightly out of order.
        const std::int64_t oldest = number - m_depth;
        std::erase_if(m_built, [oldest](const auto& entry) { return entry.first < oldest; });
        while (!m_waiting.empty() && m_waiting.front() < oldest) {
            m_waiting.pop_front();
        }
        for (std::int64_t next = std::max(m_queuedUpTo + 1, number); next <= number + m_depth; ++next) {
            m_waiting.push_back(next);
        }
        m_queuedUpTo = std::max(m_queuedUpTo, number + m_depth);
        // The worker is woken for a batch, not for each record: every wake-up is a trip through
        // the scheduler for both threads.
        if (static_cast<std::int64_t>(m_waiting.size()) < std::max<std::int64_t>(1, m_depth / 2)) {
            return;
        }
    }
    m_changed.notify_all();
}

bool PipelinedMessageSource::isPending(std::int64_t number) const
{
    return m_building.contains(number) || std::find(m_waiting.begin(), m_waiting.end(), number) != m_waiting.end();
}

Result<ByteChain> PipelinedMessageSource::build(const store::RecipientRecord& recipient)
{
    std::optional<Built> taken;
    {
        std::unique_lock lock(m_mutex);
        const std::int64_t number = m_current;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_built.contains(number) || !isPending(number); });
        if (const auto found = m_built.find(number); found != m_built.end() && found->second.record == recipient) {
            taken = std::move(found->second);
            m_built.erase(found);
        }
        if (!taken) {
            m_urgent = recipient;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_urgentBuilt.has_value(); });
            taken = std::move(m_urgentBuilt);
            m_urgentBuilt.reset();
        }
    }
    replay(taken->events);
    if (!*taken->message) {
        return taken->message->error();
    }
    return ByteChain(std::move(taken->message->value()));
}

void PipelinedMessageSource::replay(const std::vector<Event>& events)
{
    for (const Event& event : events) {
        switch (event.kind) {
        case Event::Kind::Label:
            m_progress.setLabel(event.text);
            break;
        case Event::Kind::Maximum:
            m_progress.setMaximum(event.number);
            break;
        case Event::Kind::Value:
            m_progress.setValue(event.number);
            break;
        case Event::Kind::Line:
            if (m_activity) {
                m_activity(event.text);
            }
            break;
        }
    }
}

void PipelinedMessageSource::work()
{
    for (;;) {
        // Records are read and composed in file order, so the message identifiers come out in
        // the same order as when the session builds every message itself.
        std::unique_lock turn(m_composeTurn);
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopping || m_urgent || !m_waiting.empty(); });
        if (m_stopping) {
            return;
        }
        std::optional<store::RecipientRecord> record;
        std::int64_t number = 0;
        if (m_urgent) {
            record = std::move(m_urgent);
            m_urgent.reset();
        } else {
            number = m_waiting.front();
            m_waiting.pop_front();
            m_building.insert(number);
        }
        lock.unlock();

        Built built;
        built.record = number == 0 ? std::move(record) : m_read(number);
        std::optional<Result<outgoing::UnsignedMessage>> composed;
        if (built.record) {
            RecordingProgress progress(built.events);
            const outgoing::ActivitySink activity = [&built](std::string_view line) {
                built.events.push_back({Event::Kind::Line, std::string(line)});
            };
            composed = m_compose(*built.record, progress, activity);
        }
        turn.unlock();
        if (composed) {
            built.message = *composed ? m_sign(std::move(composed->value())) : Result<std::string>(composed->error());
        }

        lock.lock();
        if (number == 0) {
            m_urgentBuilt = std::move(built);
        } else {
            m_building.erase(number);
            if (number >= m_current - m_depth) {
                m_built.emplace(number, std::move(built));
            }
        }
        m_changed.notify_all();
    }
}

} // namespace tidecast::mailing
