#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidecast::mime
{

// Text helpers of the message builder. Texts here are already in the outgoing character set.

// True when any byte is above 128 (129 to 255; 128 itself does not count).
bool contains8bit(std::string_view text);

// Header form of a text (RFC 2047). A text without 8-bit bytes comes back unchanged. Otherwise it
// becomes "=?charset?B?...?=" when its first byte is 160 or above, else "=?charset?Q?...?=". In the
// Q form a blank becomes "_" and bytes of 160 and above are "=XX"; with a single-byte character set
// bytes 128 to 159 are copied unchanged, with "utf-8" every byte of 128 and above is "=XX". The
// characters that would end or confuse the word ("=", "?", "_", '"', controls) are "=XX" as well.
// A word longer than 75 characters is split into several words separated by a blank, never
// inside a UTF-8 character.
std::string encodeHeaderText(std::string_view text, std::string_view charset);

// The transfer-encoding setting as used: "printed" is the older spelling of "print".
std::string_view normalizedEncoding(std::string_view encoding);

// The Content-Transfer-Encoding of a body for an encoding setting: "base64", "quoted-printable"
// for any other value but "none", and "8bit" or "7bit" by the text for "none".
std::string_view transferEncodingName(std::string_view encoding, std::string_view text);

// The body text encoded by the encoding setting ("none" and an empty text stay as they are).
// Unless the result is base64, lines holding only a full stop become empty lines.
std::string encodeBody(std::string_view text, std::string_view encoding);

// Replaces every line holding only a full stop (CR LF "." CR LF) by an empty line, so that the
// mail server never reads it as the end of the message.
void replaceLoneDotLines(std::string& text);

// Makes every line break CR LF (a lone CR or LF becomes CR LF).
void normalizeLineBreaks(std::string& text);

// True when a line (between CR LF breaks) is longer than `limit` octets.
bool hasLineLongerThan(std::string_view text, std::size_t limit);

// A header value with every CR and LF replaced by a blank, so no value can start a header line.
std::string headerSafe(std::string_view value);

// Seconds since midnight in the short decimal form used by unique suffixes and Content-IDs
// (single precision: at most 7 significant digits, e.g. "51322.17").
std::string singleToString(float value);
std::string doubleToString(double value);

} // namespace tidecast::mime
