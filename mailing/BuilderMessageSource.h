#pragma once

#include "common/Progress.h"
#include "mailing/MessageSource.h"
#include "outgoing/MessageBuilder.h"

#include <utility>

namespace tidecast::mailing
{

// Feeds a send session from a outgoing::MessageBuilder: each message is built for the recipient the
// session asks for, with the builder's progress labels and activity lines passed on.
class BuilderMessageSource final : public MessageSource
{
public:
    BuilderMessageSource(outgoing::MessageBuilder& builder, Progress& progress, outgoing::ActivitySink activity = {})
        : m_builder(builder)
        , m_progress(progress)
        , m_activity(std::move(activity))
    {}

    [[nodiscard]] Result<ByteChain> build(const store::RecipientRecord& recipient) override
    {
        return m_builder.buildMessageBytes(recipient, m_progress, m_activity);
    }

private:
    outgoing::MessageBuilder& m_builder;
    Progress& m_progress;
    outgoing::ActivitySink m_activity;
};

} // namespace tidecast::mailing
