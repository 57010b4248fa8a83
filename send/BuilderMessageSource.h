#pragma once

#include "common/Progress.h"
#include "send/MessageBuilder.h"
#include "send/MessageSource.h"

#include <utility>

namespace tidecast::send
{

// Feeds a send session from a MessageBuilder: each message is built for the recipient the
// session asks for, with the builder's progress labels and activity lines passed on.
class BuilderMessageSource final : public MessageSource
{
public:
    BuilderMessageSource(MessageBuilder& builder, Progress& progress, ActivitySink activity = {})
        : m_builder(builder)
        , m_progress(progress)
        , m_activity(std::move(activity))
    {}

    [[nodiscard]] Result<std::string> build(const store::RecipientRecord& recipient) override
    {
        return m_builder.buildMessage(recipient, m_progress, m_activity);
    }

private:
    MessageBuilder& m_builder;
    Progress& m_progress;
    ActivitySink m_activity;
};

} // namespace tidecast::send
