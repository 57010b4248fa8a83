#include "transfer/AddressHarvester.h"

#include "transfer/TextLines.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <utility>

namespace tidecast::transfer
{

namespace
{

// A run of address characters longer than this is no address; holding back more of it would
// only let one pathological input grow the carried tail without bound.
constexpr std::size_t kMaxCarry = AddressHarvester::kBlockSize;

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// Visits every "@" before `end`; the runs either side may reach up to the end of `text`.
void scanText(std::string_view text, std::size_t end, const AddressHarvester::Visit& visit)
{
    const char* const data = text.data();
    std::size_t position = 0;
    while (position < end) {
        const void* found = std::memchr(data + position, '@', end - position);
        if (found == nullptr) {
            return;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        std::size_t first = at;
        while (first > 0 && isAddressCharacter(data[first - 1])) {
            --first;
        }
        std::size_t last = at + 1;
        while (last < text.size() && isAddressCharacter(data[last])) {
            ++last;
        }
        const auto candidate = text.substr(first, last - first);
        visit(candidate, checkCandidate(candidate));
        position = at + 1;
    }
}

} // namespace

CandidateVerdict checkCandidate(std::string_view candidate)
{
    const auto at = candidate.find('@');
    if (at == std::string_view::npos) {
        return CandidateVerdict::TooShort;
    }
    const auto dot = candidate.find('.');
    if (dot != std::string_view::npos && dot + 2 >= candidate.size()) {
        return CandidateVerdict::DotNearEnd;
    }
    if (at < 2 || candidate.size() - at - 1 < 5) {
        return CandidateVerdict::TooShort;
    }
    if (contains(candidate, "@-") || contains(candidate, "@_")) {
        return CandidateVerdict::HyphenAfterAt;
    }
    if (contains(candidate, "_@") || contains(candidate, "-@")) {
        return CandidateVerdict::HyphenBeforeAt;
    }
    if (candidate.front() == '-' || candidate.back() == '-') {
        return CandidateVerdict::HyphenAtEnds;
    }
    if (candidate.front() == '_' || candidate.back() == '_') {
        return CandidateVerdict::UnderscoreAtEnds;
    }
    if (contains(candidate, ".@") || contains(candidate, "@.")) {
        return CandidateVerdict::DotNextToAt;
    }
    return CandidateVerdict::Legal;
}

AddressHarvester::AddressHarvester(Visit visit)
    : m_visit(std::move(visit))
{}

void AddressHarvester::feed(std::string_view block)
{
    std::string_view text = block;
    if (!m_carry.empty()) {
        m_joined.assign(m_carry);
        m_joined.append(block);
        text = m_joined;
    }
    // The trailing run of address characters may go on in the next block, and so may the
    // candidate of an "@" right before it: hold both back, from the start of that "@"'s left run.
    std::size_t held = text.size();
    while (held > 0 && isAddressCharacter(text[held - 1])) {
        --held;
    }
    if (held > 0 && text[held - 1] == '@') {
        --held;
        while (held > 0 && isAddressCharacter(text[held - 1])) {
            --held;
        }
    }
    scanText(text, held, m_visit);
    const auto keep = std::max(held, text.size() - std::min(text.size(), kMaxCarry));
    std::string carry(text.substr(keep));
    m_carry.swap(carry);
}

void AddressHarvester::finish()
{
    scanText(m_carry, m_carry.size(), m_visit);
    m_carry.clear();
}

void harvestText(std::string_view text, const AddressHarvester::Visit& visit)
{
    scanText(text, text.size(), visit);
}

bool harvestStream(std::istream& in, const AddressHarvester::Visit& visit)
{
    AddressHarvester harvester(visit);
    std::string block(AddressHarvester::kBlockSize, '\0');
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        harvester.feed(std::string_view(block.data(), got));
    }
    harvester.finish();
    return in.eof() && !in.bad();
}

namespace
{

Result<void> harvestFile(const std::filesystem::path& file, const AddressHarvester::Visit& visit, Progress& progress,
                         const std::function<bool()>& keepGoing)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return Error{ErrorCode::FileRead, "Unable to read " + file.string(), 53};
    }
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(file, sizeError);
    progress.setMaximum(sizeError ? 0 : static_cast<std::int64_t>(size));
    char mark[2] = {};
    in.read(mark, 2);
    const bool utf16 =
        in.gcount() == 2 && ((mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF'));
    in.clear();
    in.seekg(0);
    AddressHarvester harvester(visit);
    bool failed = false;
    if (utf16) {
        // Line ends are no address characters, so harvesting line by line finds the same.
        LineReader lines(in);
        std::string_view line;
        while (keepGoing() && lines.next(line)) {
            harvester.feed(line);
            harvester.feed("\n");
            progress.setValue(lines.bytesRead());
        }
        failed = lines.failed();
    } else {
        std::string block(AddressHarvester::kBlockSize, '\0');
        std::int64_t done = 0;
        while (in && keepGoing()) {
            in.read(block.data(), static_cast<std::streamsize>(block.size()));
            const auto got = in.gcount();
            harvester.feed(std::string_view(block.data(), static_cast<std::size_t>(got)));
            done += got;
            progress.setValue(done);
        }
        failed = in.bad();
    }
    harvester.finish();
    if (failed) {
        return Error{ErrorCode::FileRead, "Unable to read " + file.string(), 57};
    }
    return {};
}

} // namespace

Result<void> harvestSource(const std::filesystem::path& file, const std::optional<std::string>& clipboard,
                           const AddressHarvester::Visit& visit, Progress& progress,
                           const std::function<bool()>& keepGoing)
{
    if (!clipboard) {
        return harvestFile(file, visit, progress, keepGoing);
    }
    progress.setMaximum(static_cast<std::int64_t>(clipboard->size()));
    harvestText(*clipboard, visit);
    progress.setValue(static_cast<std::int64_t>(clipboard->size()));
    return {};
}

} // namespace tidecast::transfer
