#pragma once

#include <string>
#include <string_view>

namespace tidecast::mime
{

// Quoted-printable (RFC 2045 section 6.7) of text. CR LF, a lone CR and a lone LF are hard line
// breaks and come out as CR LF; every other byte outside printable ASCII, and "=", is written as
// "=XX"; a blank or tab at the end of a line is encoded so no transport can strip it; lines longer
// than 76 characters get soft breaks ("=" at the end) that never split an "=XX" triple.
std::string quotedPrintableEncode(std::string_view text);

} // namespace tidecast::mime
