#pragma once

#include "messages/MessageDocument.h"

class QPrinter;

namespace tidecast::ui
{

// Prints a message in Arial: the header lines, the body wrapped at 105 characters and the
// attachments, with the footer at the foot of every page. The subject is the page title.
// Returns false when the printer could not be started.
bool printMessage(QPrinter& printer, const messages::MessageDocument& document);

} // namespace tidecast::ui
