#include "messages/SpellChecker.h"

#include "common/Text.h"

#include <hunspell/hunspell.hxx>

#include <fstream>
#include <iconv.h>
#include <system_error>

namespace tidecast::messages
{

namespace
{

// One UTF-8 character: its code point and byte length (a stray byte counts as itself).
struct Character
{
    char32_t code = 0;
    std::size_t length = 1;
};

Character decodeAt(std::string_view text, std::size_t at)
{
    const auto c = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    char32_t code = c;
    if (c >= 0xF0) {
        length = 4;
        code = c & 0x07;
    } else if (c >= 0xE0) {
        length = 3;
        code = c & 0x0F;
    } else if (c >= 0xC0) {
        length = 2;
        code = c & 0x1F;
    }
    if (at + length > text.size()) {
        return {c, 1};
    }
    for (std::size_t k = 1; k < length; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    }
    return {code, length};
}

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

// Letters of any script; the Latin-1 symbols, the multiplication and division signs and the
// general punctuation block are not.
bool isWordCharacter(char32_t c)
{
    if (c < 0x80) {
        return isAsciiLetter(c) || isDigit(c);
    }
    if (c < 0xC0 || c == 0xD7 || c == 0xF7) {
        return false;
    }
    return !(c >= 0x2000 && c <= 0x206F) && !(c >= 0x3000 && c <= 0x303F);
}

bool isApostrophe(char32_t c)
{
    return c == U'\'' || c == 0x2019;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The blank-separated chunk around a place, to spot addresses and links.
std::string_view chunkAround(std::string_view text, std::size_t at, std::size_t& chunkEnd)
{
    std::size_t start = at;
    while (start > 0 && !isSpace(text[start - 1])) {
        --start;
    }
    std::size_t end = at;
    while (end < text.size() && !isSpace(text[end])) {
        ++end;
    }
    chunkEnd = end;
    return text.substr(start, end - start);
}

bool isAddressOrLink(std::string_view chunk)
{
    return chunk.find('@') != std::string_view::npos || chunk.find("://") != std::string_view::npos ||
           containsIgnoreCase(chunk.substr(0, std::min<std::size_t>(chunk.size(), 8)), "www.");
}

std::optional<std::string> convert(std::string_view text, const std::string& from, const std::string& to)
{
    iconv_t handle = iconv_open(to.c_str(), from.c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input(text);
    std::string output(text.size() * 4 + 4, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    const auto result = iconv(handle, &in, &inLeft, &out, &outLeft);
    iconv_close(handle);
    if (result == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    output.resize(output.size() - outLeft);
    return output;
}

} // namespace

DictionaryFiles resolveDictionary(std::string_view setting)
{
    std::filesystem::path stem(trimWhitespace(setting).empty() ? kDefaultDictionary : trimWhitespace(setting));
    const auto extension = toLowerAscii(stem.extension().string());
    if (extension == ".aff" || extension == ".dic") {
        stem.replace_extension();
    }
    auto affix = stem;
    auto words = stem;
    affix += ".aff";
    words += ".dic";
    return {affix, words};
}

std::optional<WordSpan> nextWord(std::string_view text, std::size_t from)
{
    std::size_t at = from;
    while (at < text.size()) {
        if (text.compare(at, 2, "!*") == 0) {
            const auto close = text.find("*!", at + 2);
            if (close != std::string_view::npos) {
                at = close + 2;
                continue;
            }
        }
        const auto character = decodeAt(text, at);
        if (!isWordCharacter(character.code)) {
            at += character.length;
            continue;
        }
        std::size_t chunkEnd = 0;
        if (isAddressOrLink(chunkAround(text, at, chunkEnd))) {
            at = chunkEnd;
            continue;
        }
        std::size_t end = at;
        while (end < text.size()) {
            const auto next = decodeAt(text, end);
            if (isWordCharacter(next.code)) {
                end += next.length;
                continue;
            }
            // An apostrophe between two word characters ("don't") is part of the word.
            if (isApostrophe(next.code) && end + next.length < text.size() &&
                isWordCharacter(decodeAt(text, end + next.length).code)) {
                end += next.length;
                continue;
            }
            break;
        }
        return WordSpan{at, end - at};
    }
    return std::nullopt;
}

bool isSkippedWord(std::string_view word, const SpellingOptions& options)
{
    bool hasDigit = false;
    bool hasUpper = false;
    bool hasLower = false;
    bool laterUpper = false;
    bool firstLetter = true;
    bool firstIsUpper = false;
    for (char c : word) {
        if (isDigit(static_cast<unsigned char>(c))) {
            hasDigit = true;
        }
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        if (!upper && !lower) {
            continue;
        }
        if (firstLetter) {
            firstIsUpper = upper;
            firstLetter = false;
        } else if (upper) {
            laterUpper = true;
        }
        hasUpper = hasUpper || upper;
        hasLower = hasLower || lower;
    }
    if (options.ignoreNumbers && hasDigit) {
        return true;
    }
    if (options.ignoreUpperCase && hasUpper && !hasLower) {
        return true;
    }
    // Mixed case: upper and lower case letters, other than a capital followed by small letters.
    const bool mixed = hasUpper && hasLower && (laterUpper || !firstIsUpper);
    return options.ignoreMixedCase && mixed;
}

Result<std::unique_ptr<SpellChecker>> SpellChecker::open(const DictionaryFiles& dictionary,
                                                         const std::filesystem::path& userDictionary,
                                                         SpellingOptions options)
{
    std::error_code ec;
    for (const auto& file : {dictionary.affix, dictionary.words}) {
        if (!std::filesystem::is_regular_file(file, ec)) {
            return Error{ErrorCode::FileNotFound, "The spelling dictionary " + file.string() + " cannot be found."};
        }
    }
    auto hunspell = std::make_unique<Hunspell>(dictionary.affix.c_str(), dictionary.words.c_str());
    std::string encoding = hunspell->get_dict_encoding();
    if (equalsIgnoreCase(encoding, "UTF-8")) {
        encoding.clear();
    }
    std::unique_ptr<SpellChecker> checker(
        new SpellChecker(std::move(hunspell), std::move(encoding), userDictionary, options));
    for (const auto& line : splitLines(toUtf8(readWholeFile(userDictionary)))) {
        const auto word = trimWhitespace(line);
        if (!word.empty()) {
            if (const auto converted = checker->toDictionary(word)) {
                checker->m_hunspell->add(*converted);
            }
        }
    }
    return checker;
}

SpellChecker::SpellChecker(std::unique_ptr<Hunspell> hunspell, std::string encoding,
                           std::filesystem::path userDictionary, SpellingOptions options)
    : m_hunspell(std::move(hunspell))
    , m_encoding(std::move(encoding))
    , m_userDictionary(std::move(userDictionary))
    , m_options(options)
{}

SpellChecker::~SpellChecker() = default;

std::optional<std::string> SpellChecker::toDictionary(std::string_view word) const
{
    if (m_encoding.empty()) {
        return std::string(word);
    }
    return convert(word, "UTF-8", m_encoding);
}

std::string SpellChecker::fromDictionary(std::string_view word) const
{
    if (m_encoding.empty()) {
        return std::string(word);
    }
    return convert(word, m_encoding, "UTF-8").value_or(std::string());
}

bool SpellChecker::isCorrect(std::string_view word) const
{
    if (word.empty() || isSkippedWord(word, m_options) || m_ignored.contains(std::string(word))) {
        return true;
    }
    const auto converted = toDictionary(word);
    return converted && m_hunspell->spell(*converted);
}

std::optional<WordSpan> SpellChecker::nextMisspelling(std::string_view text, std::size_t from) const
{
    while (const auto span = nextWord(text, from)) {
        if (!isCorrect(text.substr(span->start, span->length))) {
            return span;
        }
        from = span->start + span->length;
    }
    return std::nullopt;
}

std::vector<std::string> SpellChecker::suggestions(std::string_view word) const
{
    std::vector<std::string> out;
    const auto converted = toDictionary(word);
    if (!converted) {
        return out;
    }
    for (const auto& suggestion : m_hunspell->suggest(*converted)) {
        auto text = fromDictionary(suggestion);
        if (!text.empty()) {
            out.push_back(std::move(text));
        }
    }
    return out;
}

Result<void> SpellChecker::addWord(std::string_view word)
{
    m_ignored.insert(std::string(word));
    if (const auto converted = toDictionary(word)) {
        m_hunspell->add(*converted);
    }
    std::ofstream out(m_userDictionary, std::ios::binary | std::ios::app);
    if (out) {
        out << word << kCrLf;
        out.flush();
    }
    if (!out) {
        return Error{ErrorCode::FileWrite, "The word cannot be added to " + m_userDictionary.string() + "."};
    }
    return {};
}

void SpellChecker::ignoreAll(std::string_view word)
{
    m_ignored.insert(std::string(word));
}

} // namespace tidecast::messages
