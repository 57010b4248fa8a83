#pragma once

#include "common/Result.h"
#include "store/RecipientRecord.h"

#include <string>

namespace tidecast::mailing
{

// Where the send session gets each finished Internet message: merged for one recipient in
// personal mode, the same for everybody in bulk mode.
class MessageSource
{
public:
    virtual ~MessageSource() = default;

    [[nodiscard]] virtual Result<std::string> build(const store::RecipientRecord& recipient) = 0;
};

} // namespace tidecast::mailing
