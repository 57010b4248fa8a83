// One fuzz target for the import's readers of untrusted text: the first byte picks the reader,
// the rest is its input. Built with libFuzzer by scripts/fuzz.sh and replayed over the corpus by
// the tests. Invariants that must hold for any input abort the run when broken.
#include "common/Prompter.h"
#include "transfer/AddressHarvester.h"
#include "transfer/DelimitedText.h"
#include "transfer/LayoutFile.h"
#include "transfer/TextLines.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{

using namespace tidecast;
using namespace tidecast::transfer;

class YesPrompter final : public Prompter
{
public:
    void message(std::string_view, Icon) override {}
    Answer ask(std::string_view, Buttons, Icon, Answer) override { return Answer::Yes; }
};

void check(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

void fuzzSplitter(std::string_view bytes)
{
    std::istringstream in{std::string(bytes)};
    LineReader reader(in);
    std::string_view line;
    std::vector<std::string_view> fields;
    int lines = 0;
    while (reader.next(line) && lines++ < 64) {
        check(line.find('\0') == std::string_view::npos);
        for (const auto delimiter : kDelimiters) {
            const char character = delimiterCharacter(delimiter);
            const int count = countFields(line, character);
            check(count >= 0 && count <= static_cast<int>(line.size()) + 1);
            splitFields(line, character, count == 0 ? 3 : count, fields);
            for (const auto field : fields) {
                // Every field is a piece of the line.
                check(field.empty() ||
                      (field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size()));
                check(cleanField(field).size() <= field.size());
            }
        }
        (void)guessLayout(line);
        (void)splitName(line);
    }
}

void fuzzHarvester(std::string_view bytes)
{
    if (bytes.empty()) {
        return;
    }
    // Any way of cutting the input into blocks finds the same candidates as the whole text.
    const std::size_t piece = static_cast<unsigned char>(bytes[0]) % 17 + 1;
    bytes.remove_prefix(1);
    std::vector<std::pair<std::string, CandidateVerdict>> whole;
    std::vector<std::pair<std::string, CandidateVerdict>> pieces;
    harvestText(bytes, [&whole](std::string_view candidate, CandidateVerdict verdict) {
        check(candidate.find('@') != std::string_view::npos);
        check(verdict == checkCandidate(candidate));
        whole.emplace_back(candidate, verdict);
    });
    AddressHarvester harvester(
        [&pieces](std::string_view candidate, CandidateVerdict verdict) { pieces.emplace_back(candidate, verdict); });
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        harvester.feed(bytes.substr(at, piece));
    }
    harvester.finish();
    check(whole == pieces);
}

void fuzzLayoutFile(std::string_view bytes)
{
    YesPrompter prompter;
    const auto loaded = loadLayout(bytes, 3, prompter);
    if (loaded) {
        check(loaded->fieldCount > 0);
        for (const int position : loaded->positions) {
            check(position >= 0 && position <= loaded->fieldCount);
        }
        ImportLayoutFile file{std::to_string(loaded->fieldCount), loaded->positions};
        const auto again = loadLayout(formatLayoutFile(file), loaded->fieldCount, prompter);
        check(again && again->positions == loaded->positions);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        fuzzSplitter(bytes);
        break;
    case 1:
        fuzzHarvester(bytes);
        break;
    default:
        fuzzLayoutFile(bytes);
        break;
    }
    return 0;
}
