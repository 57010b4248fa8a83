#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidecast
{

// The one word-wrap rule used for mail text, previews, printed messages and reports. Characters
// are taken left to right with a count of characters on the current line: a CR ends the line
// (written as CR LF) and resets the count; an LF is dropped; any other character but blank and
// tab is appended and counted; a blank or tab is appended and counted while the count is below
// `width`, and once the count has reached `width` it is appended and ends the line with CR LF
// (unless a CR follows at once, which ends the line itself). Words are never broken, so a line
// without blanks may exceed the width. Counts characters, not bytes, of UTF-8 text.
std::string wordWrap(std::string_view text, std::size_t width);

} // namespace tidecast
