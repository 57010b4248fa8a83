#pragma once

#include "messages/MessageDocument.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::messages
{

inline constexpr std::size_t kPrintWidth = 105;
inline constexpr std::size_t kFooterTitleLimit = 90;
inline constexpr std::size_t kFooterTitleKeep = 85;

// The text of a printed message, one entry per printed line: "To Group: ", "Subject: ", the body
// wrapped at 105 characters by the shared word-wrap rule, then "Attachments: " with the paths when
// there are any. Bodies with LF-only line ends print their lines as they are.
std::vector<std::string> printMessageLines(const MessageDocument& document);

// The footer of every printed page. A title longer than 90 characters is cut to 85 and "....".
std::string printFooter(std::string_view title, int page);

// The version as major.minor.revision.
std::string versionText();

} // namespace tidecast::messages
