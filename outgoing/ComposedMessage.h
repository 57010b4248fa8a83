#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tidecast::outgoing
{

// The X-Priority of a message; the values are the header's numbers.
enum class Priority
{
    High = 1,
    Normal = 3,
    Low = 5,
};

// The priority of the composer's selector or a message document's stored index: the first entry
// (0) is high, the second (1) normal, any other low; a document without one is normal.
Priority priorityFromIndex(std::optional<int> index);

// The message as the person composed it, before a mailing decides who sends it and how. Texts
// are UTF-8 with CR LF line breaks.
struct ComposedMessage
{
    std::string subject;
    std::string body;
    std::string htmlPath; // file whose content is the HTML part; empty or missing file: no HTML part
    std::vector<std::string> attachments;
    Priority priority = Priority::Normal;
};

} // namespace tidecast::outgoing
