#include "transfer/AddressHarvester.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tidecast::transfer
{
namespace
{

using Found = std::vector<std::pair<std::string, CandidateVerdict>>;

Found harvestAll(std::string_view text)
{
    Found found;
    harvestText(text, [&found](std::string_view candidate, CandidateVerdict verdict) {
        found.emplace_back(std::string(candidate), verdict);
    });
    return found;
}

Found harvestInPieces(std::string_view text, std::size_t piece)
{
    Found found;
    AddressHarvester harvester([&found](std::string_view candidate, CandidateVerdict verdict) {
        found.emplace_back(std::string(candidate), verdict);
    });
    for (std::size_t at = 0; at < text.size(); at += piece) {
        harvester.feed(text.substr(at, piece));
    }
    harvester.finish();
    return found;
}

TEST(AddressHarvester, ChecksCandidatesInOrder)
{
    const struct
    {
        std::string_view candidate;
        CandidateVerdict verdict;
    } cases[] = {
        {"john.smith@example.com", CandidateVerdict::Legal},
        {"ab@cdefg", CandidateVerdict::Legal}, // no dot at all
        {"ab@cd.e", CandidateVerdict::DotNearEnd},
        {"ab@cdefgh.", CandidateVerdict::DotNearEnd},
        {"a.b@cdefgh", CandidateVerdict::Legal}, // only the first dot counts for check 1
        {"ab@cd.ef", CandidateVerdict::Legal},
        {"a@example.com", CandidateVerdict::TooShort},
        {"a@b.c", CandidateVerdict::DotNearEnd}, // check 1 runs before check 2
        {"ab@c.def", CandidateVerdict::Legal},
        {"ab@cdef", CandidateVerdict::TooShort},
        {"@", CandidateVerdict::TooShort},
        {"ab@-xample.com", CandidateVerdict::HyphenAfterAt},
        {"ab@_xample.com", CandidateVerdict::HyphenAfterAt},
        {"ab_@example.com", CandidateVerdict::HyphenBeforeAt},
        {"ab-@example.com", CandidateVerdict::HyphenBeforeAt},
        {"-ab@example.com", CandidateVerdict::HyphenAtEnds},
        {"ab@example.co-", CandidateVerdict::HyphenAtEnds},
        {"_ab@example.com", CandidateVerdict::UnderscoreAtEnds},
        {"ab@example.co_", CandidateVerdict::UnderscoreAtEnds},
        {"ab.@example.com", CandidateVerdict::DotNextToAt},
        {"ab@.example.com", CandidateVerdict::DotNextToAt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkCandidate(c.candidate), c.verdict) << c.candidate;
    }
}

TEST(AddressHarvester, ExtendsOverAddressCharactersOnly)
{
    const struct
    {
        std::string_view text;
        Found found;
    } cases[] = {
        {"write to ann@example.com; bob", {{"ann@example.com", CandidateVerdict::Legal}}},
        {"<Zed_9-x.y@Mail-Host.example>", {{"Zed_9-x.y@Mail-Host.example", CandidateVerdict::Legal}}},
        // The neighbours of each end of the class: / : @ [ ` { and the bytes above 127.
        {"/ab@example.com:", {{"ab@example.com", CandidateVerdict::Legal}}},
        {"[ab@example.com`", {{"ab@example.com", CandidateVerdict::Legal}}},
        {"{ab@example.com\x7f", {{"ab@example.com", CandidateVerdict::Legal}}},
        {"\xc3\xa9"
         "ab@example.com\xc3\xa9",
         {{"ab@example.com", CandidateVerdict::Legal}}},
        {"ab@example.com+tag", {{"ab@example.com", CandidateVerdict::Legal}}},
        {"x@y@example.com", {{"x@y", CandidateVerdict::TooShort}, {"y@example.com", CandidateVerdict::TooShort}}},
        // Each "@" starts again from the one before it.
        {"ann@example.com@",
         {{"ann@example.com", CandidateVerdict::Legal}, {"example.com@", CandidateVerdict::TooShort}}},
        {"meet @ 5 or ab@cd.e", {{"@", CandidateVerdict::TooShort}, {"ab@cd.e", CandidateVerdict::DotNearEnd}}},
        {"no address here", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(harvestAll(c.text), c.found) << c.text;
    }
}

TEST(AddressHarvester, FindsTheSameWhereverTheBlocksEnd)
{
    const std::string text = "From: Ann <ann.lee@example.com>\r\nCc: bob@example.org, x@y, ab@cd.e\r\n"
                             "@@ -1 +1 @@ joe_b@mail.example.net@ tail-end@example.co.uk";
    const auto whole = harvestAll(text);
    ASSERT_EQ(whole.size(), 11u);
    for (std::size_t piece = 1; piece <= text.size(); ++piece) {
        EXPECT_EQ(harvestInPieces(text, piece), whole) << "pieces of " << piece;
    }
}

TEST(AddressHarvester, FindsAnAddressAcrossTheFileBlockBoundary)
{
    std::string text(AddressHarvester::kBlockSize - 7, ' ');
    text += "straddle@example.com and more text";
    std::istringstream in(text);
    std::vector<std::string> legal;
    ASSERT_TRUE(harvestStream(in, [&legal](std::string_view candidate, CandidateVerdict verdict) {
        if (verdict == CandidateVerdict::Legal) {
            legal.emplace_back(candidate);
        }
    }));
    EXPECT_EQ(legal, std::vector<std::string>{"straddle@example.com"});
}

TEST(AddressHarvester, HoldsBackNoMoreThanOneBlockOfAnEndlessRun)
{
    const std::string run(3 * AddressHarvester::kBlockSize, 'a');
    const auto found = harvestInPieces(run + "@example.com", AddressHarvester::kBlockSize);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_LE(found[0].first.size(), AddressHarvester::kBlockSize + 12);
    EXPECT_TRUE(found[0].first.ends_with("a@example.com"));
    EXPECT_EQ(found[0].second, CandidateVerdict::Legal);
}

} // namespace
} // namespace tidecast::transfer
