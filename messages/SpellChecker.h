#pragma once

#include "common/Result.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class Hunspell;

namespace tidecast::messages
{

// The user's own words: one per line in the data folder.
inline constexpr std::string_view kUserDictionaryName = "custom.dct";
inline constexpr std::string_view kDefaultDictionary = "/usr/share/hunspell/en_US";

struct SpellingOptions
{
    bool ignoreUpperCase = false;
    bool ignoreMixedCase = false;
    bool ignoreNumbers = true;
};

// A dictionary is a pair of an affix file and a word list.
struct DictionaryFiles
{
    std::filesystem::path affix;
    std::filesystem::path words;
};

// The pair for the dictionary setting: empty means the installed US English dictionary; a path
// to either file (or to their common stem) names both.
DictionaryFiles resolveDictionary(std::string_view setting);

// A word's place in a text, in bytes of UTF-8.
struct WordSpan
{
    std::size_t start = 0;
    std::size_t length = 0;

    bool operator==(const WordSpan&) const = default;
};

// The next word of a text from `from` on. Merge macros ("!*CITY*!"), addresses and web links are
// not words; an apostrophe inside a word belongs to it.
std::optional<WordSpan> nextWord(std::string_view text, std::size_t from);

// Whether the skip options leave a word unchecked.
bool isSkippedWord(std::string_view word, const SpellingOptions& options);

// Checks words against a Hunspell dictionary plus the user's dictionary. Not thread-safe.
class SpellChecker
{
public:
    [[nodiscard]] static Result<std::unique_ptr<SpellChecker>>
    open(const DictionaryFiles& dictionary, const std::filesystem::path& userDictionary, SpellingOptions options);
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    const SpellingOptions& options() const { return m_options; }
    void setOptions(const SpellingOptions& options) { m_options = options; }

    // True for dictionary words, the user's words, words ignored for this run and skipped words.
    bool isCorrect(std::string_view word) const;
    std::optional<WordSpan> nextMisspelling(std::string_view text, std::size_t from) const;
    std::vector<std::string> suggestions(std::string_view word) const;

    // Appends the word to the user dictionary and accepts it from now on. Fails when the file
    // cannot be written (the word is accepted for this run all the same).
    [[nodiscard]] Result<void> addWord(std::string_view word);
    void ignoreAll(std::string_view word);

private:
    SpellChecker(std::unique_ptr<Hunspell> hunspell, std::string encoding, std::filesystem::path userDictionary,
                 SpellingOptions options);
    std::optional<std::string> toDictionary(std::string_view word) const;
    std::string fromDictionary(std::string_view word) const;

    std::unique_ptr<Hunspell> m_hunspell;
    std::string m_encoding; // the dictionary's character set; empty for UTF-8
    std::filesystem::path m_userDictionary;
    SpellingOptions m_options;
    std::unordered_set<std::string> m_ignored;
};

} // namespace tidecast::messages
