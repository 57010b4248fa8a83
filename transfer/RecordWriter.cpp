#include "transfer/RecordWriter.h"

#include "store/RecipientStore.h"

namespace tidecast::transfer
{

namespace
{

// Enough that the two threads seldom wait for or wake each other.
constexpr std::size_t kBatches = 4;
constexpr std::size_t kBatchRecords = 512;

} // namespace

RecordWriter::RecordWriter(store::RecipientStore& group, std::int64_t commitEvery)
    : m_group(group)
    , m_commitEvery(commitEvery)
    , m_batches(kBatches, std::vector<store::RecipientRecord>(kBatchRecords))
    , m_batchSizes(kBatches, 0)
{
    m_thread = std::thread([this] { run(); });
}

RecordWriter::~RecordWriter()
{
    if (m_thread.joinable()) {
        (void)finish();
    }
}

bool RecordWriter::add()
{
    if (m_failed.load(std::memory_order_relaxed)) {
        return false;
    }
    if (++m_filled == kBatchRecords) {
        handOver();
    }
    return true;
}

void RecordWriter::handOver()
{
    std::unique_lock lock(m_mutex);
    m_batchSizes[m_fillingBatch] = m_filled;
    ++m_handedOver;
    m_changed.notify_all();
    m_fillingBatch = (m_fillingBatch + 1) % kBatches;
    m_filled = 0;
    // The thread writes the batches in turn: the next one is free once fewer than all are waiting.
    m_changed.wait(lock, [this] { return m_handedOver < kBatches; });
}

Result<void> RecordWriter::finish()
{
    if (m_thread.joinable()) {
        if (m_filled > 0) {
            handOver();
        }
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    if (m_error) {
        return *m_error;
    }
    return {};
}

void RecordWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_handedOver > 0 || m_closing; });
        if (m_handedOver == 0) {
            return;
        }
        const auto& batch = m_batches[m_nextToWrite];
        const auto count = m_batchSizes[m_nextToWrite];
        lock.unlock();
        for (std::size_t i = 0; i < count && !m_error; ++i) {
            if (auto written = write(batch[i]); !written) {
                m_error = written.error();
                m_failed = true;
            }
        }
        lock.lock();
        m_nextToWrite = (m_nextToWrite + 1) % kBatches;
        --m_handedOver;
        m_changed.notify_all();
    }
}

Result<void> RecordWriter::write(const store::RecipientRecord& record)
{
    if (auto added = m_group.addNew(); !added) {
        return added;
    }
    store::writeRecipient(m_group, record);
    if (auto written = m_group.flush(); !written) {
        // Dropped, so that closing the group does not try it again and lose the records
        // before it with the transaction.
        (void)m_group.deleteRecord();
        return written;
    }
    ++m_written;
    if (++m_sinceCommit >= m_commitEvery) {
        m_sinceCommit = 0;
        auto committed = m_group.commitTransaction();
        if (committed) {
            committed = m_group.beginTransaction();
        }
        return committed;
    }
    return {};
}

} // namespace tidecast::transfer
