#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast
{

inline constexpr std::string_view kCrLf = "\r\n";

// ASCII-only case folding: field names, keys and addresses compare this way everywhere.
char toLowerAscii(char c);
std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool containsIgnoreCase(std::string_view haystack, std::string_view needle);

// Trims blanks (and, for trimWhitespace, tabs, CR and LF) from both ends.
std::string_view trimBlanks(std::string_view text);
std::string_view trimWhitespace(std::string_view text);

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::vector<std::string> splitLines(std::string_view text); // CR LF, LF or CR; no trailing empty line

// Reads a whole file into one string; any error gives an empty string.
std::string readWholeFile(const std::filesystem::path& path);

// Writes (replaces) a whole file; false on any error.
bool writeWholeFile(const std::filesystem::path& path, std::string_view content);

// Files we read may be Latin-1 (older data); text inside the program is UTF-8.
bool isValidUtf8(std::string_view text);
std::string latin1ToUtf8(std::string_view text);
std::string toUtf8(std::string_view text); // unchanged when already UTF-8, else read as Latin-1

// Cuts UTF-8 text to at most maxChars characters without splitting a character.
std::string cutToChars(std::string_view text, std::size_t maxChars);
std::size_t countChars(std::string_view text);

} // namespace tidecast
