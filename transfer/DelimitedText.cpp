#include "transfer/DelimitedText.h"

#include "common/Text.h"

namespace tidecast::transfer
{

namespace
{

constexpr char kQuote = '"';

std::string_view trimLeadingBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// Where the field at the start of `rest` ends: the delimiter after it, or npos. A field opening
// with a quote is passed over to its closing quote first; without a closing quote the field ends
// at the next delimiter like any other.
std::size_t fieldEnd(std::string_view rest, char delimiter)
{
    const auto opening = rest.find_first_not_of(' ');
    std::size_t from = 0;
    if (opening != std::string_view::npos && rest[opening] == kQuote) {
        std::size_t at = opening + 1;
        while (true) {
            at = rest.find(kQuote, at);
            if (at == std::string_view::npos) {
                break;
            }
            if (at + 1 < rest.size() && rest[at + 1] == kQuote) {
                at += 2;
                continue;
            }
            from = at + 1;
            break;
        }
    }
    return rest.find(delimiter, from);
}

std::string joinWords(const std::vector<std::string_view>& words, std::size_t from)
{
    std::string joined;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (i > from) {
            joined += ' ';
        }
        joined += words[i];
    }
    return std::string(trimBlanks(joined));
}

bool shortForTitle(std::string_view word)
{
    const auto length = countChars(word);
    return length == 2 || length == 3;
}

bool shortForInitial(std::string_view word)
{
    const auto length = countChars(word);
    return length == 1 || length == 2;
}

} // namespace

std::string_view delimiterName(Delimiter delimiter)
{
    switch (delimiter) {
    case Delimiter::Comma:
        return "COMMA";
    case Delimiter::Tab:
        return "TAB";
    case Delimiter::Spaces:
        return "SPACES";
    case Delimiter::Semicolon:
        return ";";
    }
    return "COMMA";
}

std::optional<Delimiter> delimiterByName(std::string_view name)
{
    for (auto delimiter : kDelimiters) {
        if (equalsIgnoreCase(delimiterName(delimiter), name)) {
            return delimiter;
        }
    }
    return std::nullopt;
}

char delimiterCharacter(Delimiter delimiter)
{
    switch (delimiter) {
    case Delimiter::Comma:
        return ',';
    case Delimiter::Tab:
        return '\t';
    case Delimiter::Spaces:
        return ' ';
    case Delimiter::Semicolon:
        return ';';
    }
    return ',';
}

void splitFields(std::string_view line, char delimiter, int fieldCount, std::vector<std::string_view>& fields)
{
    fields.assign(static_cast<std::size_t>(fieldCount > 0 ? fieldCount : 0), std::string_view());
    std::string_view rest = line;
    for (auto& field : fields) {
        const auto end = fieldEnd(rest, delimiter);
        if (end == std::string_view::npos) {
            field = rest;
            return;
        }
        field = rest.substr(0, end);
        rest = trimBlanks(rest.substr(end + 1));
    }
}

int countFields(std::string_view line, char delimiter)
{
    if (line.find(delimiter) == std::string_view::npos) {
        return 0;
    }
    int count = 0;
    std::string_view rest = line;
    while (true) {
        ++count;
        const auto end = fieldEnd(rest, delimiter);
        if (end == std::string_view::npos) {
            return count;
        }
        rest = trimBlanks(rest.substr(end + 1));
    }
}

std::string cleanField(std::string_view value)
{
    std::string out;
    cleanFieldInto(value, out);
    return out;
}

void cleanFieldInto(std::string_view value, std::string& out)
{
    const auto text = trimLeadingBlanks(value);
    if (text.size() <= 1 || text.front() != kQuote) {
        out.assign(trimBlanks(text));
        return;
    }
    out.clear();
    std::size_t at = 1;
    while (at < text.size()) {
        const auto quote = text.find(kQuote, at);
        out.append(text.substr(at, quote - at));
        if (quote == std::string_view::npos) {
            break;
        }
        if (quote + 1 < text.size() && text[quote + 1] == kQuote) {
            out += kQuote;
            at = quote + 2;
        } else {
            out.append(text.substr(quote + 1)); // the closing quote goes; anything after it stays
            break;
        }
    }
    const auto trimmed = trimBlanks(out);
    if (trimmed.empty()) {
        out.clear();
        return;
    }
    const auto start = static_cast<std::size_t>(trimmed.data() - out.data());
    out.erase(start + trimmed.size());
    out.erase(0, start);
}

LayoutGuess guessLayout(std::string_view firstLine)
{
    const int a = countFields(firstLine, ',');
    const int s = countFields(firstLine, ' ');
    const int t = countFields(firstLine, '\t');
    const int m = countFields(firstLine, ';');
    LayoutGuess guess;
    guess.delimited = a > 0 || t >= 1 || m >= 1 || s >= 1;
    if (a >= 1 && a >= t && a >= m) {
        guess.delimiter = Delimiter::Comma;
        guess.fieldCount = a;
    } else if (a == 0 && t >= 1 && t >= m) {
        guess.delimiter = Delimiter::Tab;
        guess.fieldCount = t;
    } else if (a == 0 && t == 0 && m >= 1) {
        guess.delimiter = Delimiter::Semicolon;
        guess.fieldCount = m;
    } else if (a == 0 && t == 0 && m == 0 && s >= 1) {
        guess.delimiter = Delimiter::Spaces;
        guess.fieldCount = s;
    }
    return guess;
}

NameParts splitName(std::string_view wholeName)
{
    std::vector<std::string_view> words;
    const auto name = trimBlanks(wholeName);
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto blank = name.find(' ', start);
        if (blank == std::string_view::npos) {
            words.push_back(name.substr(start));
            break;
        }
        words.push_back(name.substr(start, blank - start));
        start = blank + 1;
    }
    NameParts parts;
    const auto part = [](std::string_view word) { return std::string(trimBlanks(word)); };
    if (words.size() == 1) {
        parts.first = part(words[0]);
    } else if (words.size() == 2) {
        parts.first = part(words[0]);
        parts.last = part(words[1]);
    } else {
        (shortForTitle(words[0]) ? parts.title : parts.first) = part(words[0]);
        if (shortForInitial(words[1])) {
            (parts.first.empty() ? parts.first : parts.initial) = part(words[1]);
        } else if (parts.first.empty()) {
            parts.first = part(words[1]);
        } else {
            parts.last = joinWords(words, 1);
            return parts;
        }
        if (words.size() == 3) {
            parts.last = part(words[2]);
        } else if (shortForInitial(words[2]) && parts.initial.empty()) {
            parts.initial = part(words[2]);
            parts.last = joinWords(words, 3);
        } else if (shortForInitial(words[2])) {
            parts.last = joinWords(words, 2);
        } else {
            parts.last = joinWords(words, 3);
        }
    }
    return parts;
}

} // namespace tidecast::transfer
