#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidecast::transfer
{

enum class Delimiter
{
    Comma,
    Tab,
    Spaces,
    Semicolon,
};

// "COMMA", "TAB", "SPACES", ";" in this order: the wizard's list and the report's label.
inline constexpr std::array<Delimiter, 4> kDelimiters = {Delimiter::Comma, Delimiter::Tab, Delimiter::Spaces,
                                                         Delimiter::Semicolon};
std::string_view delimiterName(Delimiter delimiter);
std::optional<Delimiter> delimiterByName(std::string_view name);
char delimiterCharacter(Delimiter delimiter);

inline constexpr int kMaxImportFields = 200;

// Splits one line into fields 1 to `fieldCount` (fields[0] is field 1). The text after each
// delimiter loses its leading and trailing blanks, so a run of blanks is one separator when the
// delimiter is the blank. A field opening with a double quote runs to its closing quote whatever
// delimiters it holds; a doubled quote inside it does not close it (RFC 4180). The quotes stay in
// the field for cleanField(). Fields the line does not reach are empty; text after the last
// counted field is ignored. The views point into `line`.
void splitFields(std::string_view line, char delimiter, int fieldCount, std::vector<std::string_view>& fields);

// How many fields the line has with this delimiter, split as above: 0 when the delimiter does
// not occur in the line at all.
int countFields(std::string_view line, char delimiter);

// Removes the quotes of a quoted value (a doubled quote inside becomes one) and the blanks at
// both ends. A value of one character is left as it is, apart from the blanks.
std::string cleanField(std::string_view value);
// The same into `out`, reusing its storage; `value` must not point into `out`.
void cleanFieldInto(std::string_view value, std::string& out);

// The wizard's choice for a first line of data: delimited or not, and, when the counts decide
// it, the delimiter and the field count.
struct LayoutGuess
{
    bool delimited = false;
    std::optional<Delimiter> delimiter;
    int fieldCount = 0;
};
LayoutGuess guessLayout(std::string_view firstLine);

// A whole name cut into its parts; every part trimmed.
struct NameParts
{
    std::string title;
    std::string first;
    std::string initial;
    std::string last;

    bool operator==(const NameParts&) const = default;
};
NameParts splitName(std::string_view wholeName);

} // namespace tidecast::transfer
