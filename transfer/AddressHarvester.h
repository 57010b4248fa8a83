#pragma once

#include "common/Progress.h"
#include "common/Result.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace tidecast::transfer
{

// Characters an address candidate is made of: A-Z, a-z, 0-9, "-", "." and "_". An "@" or any
// other byte ends a run.
constexpr bool isAddressCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

// The first of the seven checks a harvested candidate fails, or Legal. The order is the order
// the checks run in; the numbers are what tests and the fuzzer compare.
enum class CandidateVerdict
{
    Legal = 0,
    DotNearEnd = 1,       // the first "." is one of the last two characters
    TooShort = 2,         // fewer than two characters before the "@" or five after it
    HyphenAfterAt = 3,    // "@-" or "@_"
    HyphenBeforeAt = 4,   // "_@" or "-@"
    HyphenAtEnds = 5,     // begins or ends with "-"
    UnderscoreAtEnds = 6, // begins or ends with "_"
    DotNextToAt = 7,      // ".@" or "@."
};

// Runs the seven checks in order on a candidate holding exactly one "@".
CandidateVerdict checkCandidate(std::string_view candidate);

// Finds address candidates in arbitrary bytes: every "@" with the address characters either side
// of it. Text is fed in blocks of any size; a candidate that runs across the end of one block is
// held back and completed with the next, so splitting the input never changes what is found.
// Each candidate is handed to `visit` with its verdict, in input order.
class AddressHarvester
{
public:
    using Visit = std::function<void(std::string_view candidate, CandidateVerdict verdict)>;

    // The size of the blocks a file is read in.
    static constexpr std::size_t kBlockSize = 64000;

    explicit AddressHarvester(Visit visit);

    void feed(std::string_view block);
    // Ends the input: a candidate still held back is completed.
    void finish();

private:
    void scan(std::string_view text, std::size_t end);

    Visit m_visit;
    std::string m_carry; // the unfinished run held back from the previous block
    std::string m_joined;
};

// Harvests a whole text at once.
void harvestText(std::string_view text, const AddressHarvester::Visit& visit);

// Harvests a stream to its end, read in blocks of kBlockSize. False when reading failed
// part-way (what was found before the failure has been visited).
[[nodiscard]] bool harvestStream(std::istream& in, const AddressHarvester::Visit& visit);

// Harvests what an import reads: the clipboard text when there is one, else the file. A file that
// starts with a UTF-16 byte-order mark is decoded and harvested line by line, any other file in
// raw blocks of kBlockSize. The progress runs over the text's length. Before each block or line
// `keepGoing` says whether to go on; the input is finished either way, so `visit` must ignore
// what comes after a stop. A file that cannot be opened is FileRead number 53, one that fails
// part-way number 57 (what was found before has been visited).
[[nodiscard]] Result<void> harvestSource(const std::filesystem::path& file, const std::optional<std::string>& clipboard,
                                         const AddressHarvester::Visit& visit, Progress& progress,
                                         const std::function<bool()>& keepGoing);

} // namespace tidecast::transfer
