#include "outgoing/ComposedMessage.h"

namespace tidecast::outgoing
{

Priority priorityFromIndex(std::optional<int> index)
{
    if (!index || *index == 1) {
        return Priority::Normal;
    }
    return *index == 0 ? Priority::High : Priority::Low;
}

} // namespace tidecast::outgoing
