#pragma once

#include "common/ByteChain.h"
#include "common/Result.h"
#include "store/RecipientRecord.h"

#include <cstdint>
#include <string>

namespace tidecast::mailing
{

// Where the send session gets each finished Internet message: merged for one recipient in
// personal mode, the same for everybody in bulk mode.
class MessageSource
{
public:
    virtual ~MessageSource() = default;

    // The session has come to the record with this number (1 is the first) and reads on from
    // it in file order; the message it asks for next, if any, is for this record. A source may
    // start on the messages of the records that follow.
    virtual void reached(std::int64_t /*number*/) {}

    [[nodiscard]] virtual Result<ByteChain> build(const store::RecipientRecord& recipient) = 0;
};

} // namespace tidecast::mailing
