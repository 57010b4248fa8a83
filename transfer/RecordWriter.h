#pragma once

#include "common/Result.h"
#include "store/RecipientRecord.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tidecast::store
{
class RecipientStore;
}

namespace tidecast::transfer
{

// Appends recipient records to an open group on a thread of its own, in the order they are
// handed over, committing every `commitEvery` records, so that reading and checking the next rows
// overlaps with the database work. The group must be in a transaction and must not be touched by
// anyone else until finish() has returned; the last records are committed by whoever closes it.
class RecordWriter
{
public:
    RecordWriter(store::RecipientStore& group, std::int64_t commitEvery);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // The record to fill next. It holds an earlier record's text, whose storage can be reused.
    store::RecipientRecord& next() { return m_batches[m_fillingBatch][m_filled]; }
    // Hands the record from next() over for writing. False once writing has failed: the record
    // is then dropped.
    bool add();
    // Writes whatever is still waiting and stops the thread; fails with the error that ended
    // the writing, if any.
    [[nodiscard]] Result<void> finish();
    // How many records are in the group; final once finish() has returned.
    std::int64_t written() const { return m_written; }

private:
    void handOver();
    void run();
    [[nodiscard]] Result<void> write(const store::RecipientRecord& record);

    store::RecipientStore& m_group;
    const std::int64_t m_commitEvery;

    // A ring of batches: the producer fills one while the thread writes those handed over before
    // it, so that neither waits for the other over a short stall.
    std::vector<std::vector<store::RecipientRecord>> m_batches;
    std::vector<std::size_t> m_batchSizes;
    std::size_t m_fillingBatch = 0;
    std::size_t m_filled = 0; // records in the batch being filled
    std::size_t m_nextToWrite = 0;
    std::size_t m_handedOver = 0; // batches handed over and not yet written

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_closing = false;
    std::atomic<bool> m_failed = false;
    std::optional<Error> m_error;
    std::int64_t m_written = 0;
    std::int64_t m_sinceCommit = 0;
    std::thread m_thread;
};

} // namespace tidecast::transfer
