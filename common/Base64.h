#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidecast
{

inline constexpr std::size_t kBase64LineLength = 76;

// Base64 (RFC 2045) of arbitrary bytes. With a line length the output is broken into lines of
// that many characters joined by CR LF, without a line break after the last line; a line length
// of 0 gives one unbroken line (as inside an encoded word).
std::string base64Encode(std::string_view data, std::size_t lineLength = kBase64LineLength);

// Appends the encoding to `out`, saving a copy when the caller builds a larger text.
void appendBase64(std::string& out, std::string_view data, std::size_t lineLength = kBase64LineLength);

} // namespace tidecast
