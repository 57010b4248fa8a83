#pragma once

namespace tidecast::store
{

// How a group or recipient command ended, for front ends that report more than yes or no
// (the command line's exit status).
enum class CommandOutcome
{
    Done,
    Refused, // a check failed or nothing could be started; the reason was shown
    Stopped, // a question was answered No or Cancel
    Failed,  // an error part-way; the message was shown
};

} // namespace tidecast::store
